#include "xmlreading_p.h"
