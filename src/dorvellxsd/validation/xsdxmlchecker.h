#ifndef DORVELLXSD_XSDXMLCHECKER_H
#define DORVELLXSD_XSDXMLCHECKER_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>

namespace pelmak {

/**
 * Validates XML documents against one XML Schema.
 *
 * The schema is loaded once with loadGrammar(); after that any number of documents can be
 * checked with checkXmlFile(), each diagnostic reaching the callback as it is found. The object
 * holds the Xerces-C platform while it lives, so several checkers may live at once, also beside
 * a host that uses Xerces-C itself. One checker must not be used from two threads at once.
 */
class DORVELLXSD_EXPORT XsdXmlChecker
{
public:
    /// Receives line, column and text of each diagnostic, the text in the local 8-bit code page.
    using Callback = std::function<void(int, int, const std::string &)>;

    XsdXmlChecker();
    virtual ~XsdXmlChecker();

    /**
     * Loads the schema at @p path and keeps @p callback for the diagnostics of every later check.
     * Nothing of the load itself reaches the callback.
     * @throws std::logic_error when a schema was loaded already, or when this one cannot be
     *         loaded: missing, not well-formed, or with an error in the schema or in anything it
     *         imports or includes. The message then ends with the first diagnostic (line, column,
     *         text), and the checker stays without schema, so it may try again.
     */
    void loadGrammar(const QString &path, Callback callback);

    /**
     * Validates the document at @p path, passing each warning, error and fatal error to the
     * callback in the order they are found.
     * @return the number of errors and fatal errors (warnings do not count); 0 for a valid document.
     * @throws std::logic_error when no schema has been loaded.
     */
    int checkXmlFile(const QString &path);

private:
    Q_DISABLE_COPY(XsdXmlChecker)
    class Private;
    std::unique_ptr<Private> const d;
};

} // namespace pelmak

#endif
