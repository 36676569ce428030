#ifndef DORVELLXSD_XSDCONSENTNEEDED_H
#define DORVELLXSD_XSDCONSENTNEEDED_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <stdexcept>
#include <string>

namespace pelmak {

/**
 * A refusal of an import that the host may lift by asking for it: import without a transaction
 * (WithoutTransaction), leave out the values the target has no place for (Dropping), add to or
 * replace the features a layer holds already (ExistingFeatures). The message says what would
 * happen; the host adds how its user asks (messageWithOption()). The same class serves both
 * APIs; it needs no Qt.
 */
class DORVELLXSD_EXPORT XsdConsentNeeded : public std::logic_error
{
public:
    enum Consent { WithoutTransaction, Dropping, ExistingFeatures };
    XsdConsentNeeded(Consent consent, const std::string &message);
    ~XsdConsentNeeded() override;

    Consent consent() const { return needed; }

    /**
     * The message, and on a line of its own how to consent: pass @p option, the host's UTF-8
     * spelling of it ("--allow-dropping", "allow_dropping=True"), or for ExistingFeatures the
     * spelling to add (@p option) or to replace (@p other); in the library's language.
     */
    std::string messageWithOption(const std::string &option, const std::string &other = {}) const;

private:
    Consent needed;
};

} // namespace pelmak

#endif
