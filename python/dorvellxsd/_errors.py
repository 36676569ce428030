"""The exceptions of dorvellxsd; the native part raises them by name."""


class DorvellxsdError(Exception):
    """Base of every error the library reports; the message is the library's, unchanged."""


class RefusedError(DorvellxsdError, ValueError):
    """The library refused an input: a schema, document, value or argument it cannot take."""


class DataSourceError(DorvellxsdError, OSError):
    """A data source could not be opened or created."""


# Shown, and pickled, as members of the package that exports them.
for _error in (DorvellxsdError, RefusedError, DataSourceError):
    _error.__module__ = "dorvellxsd"
del _error
