<?xml version="1.0" encoding="UTF-8"?>
<!-- a document without a root element -->
