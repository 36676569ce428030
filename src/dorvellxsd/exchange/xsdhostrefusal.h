#ifndef DORVELLXSD_XSDHOSTREFUSAL_H
#define DORVELLXSD_XSDHOSTREFUSAL_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QString>
#include <QStringList>

#include <cstdint>

namespace pelmak {

/**
 * Refusals of a host that binds the library into another language (the Python package): of
 * arguments of a wrong type, and of what its own API checks, so that they read like the
 * library's own messages and follow setMessageLanguage(). The placeholders each fills, in order:
 */
enum class XsdHostRefusal : std::int32_t {
    NotPath,            ///< the argument's name, the type given
    NotText,            ///< the argument's name, the type given
    NotTexts,           ///< the argument's name, the type given
    NotInteger,         ///< the argument's name, the type given
    NotBoolean,         ///< the argument's name, the type given
    ValueNotText,       ///< table, feature, attribute, the type given
    PathIsSchema,       ///< the argument's name, the path: a document's path that names a schema file
    TableNotInDocument, ///< the document, the table: a table asked for that the document lacks
    SystemsMixed,       ///< the table, the systems: geometries of one column in several coordinate systems
};

/// The message of @p refusal with @p arguments filled in, in the library's language.
DORVELLXSD_EXPORT QString hostRefusal(XsdHostRefusal refusal, const QStringList &arguments);

} // namespace pelmak

#endif
