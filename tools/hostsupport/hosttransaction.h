#ifndef DORVELLXSD_HOSTSUPPORT_HOSTTRANSACTION_H
#define DORVELLXSD_HOSTSUPPORT_HOSTTRANSACTION_H

#include <stdexcept>
#include <string>

namespace hostsupport {

/*
 * Runs @p import (which inserts a document's features through @p target, batch after batch) in
 * one transaction of @p target: begun here, committed once at the end, rolled back on any
 * failure. A driver without transactions could not take back what a failure left stored, so the
 * import then runs only when the caller allows it, and only after @p checkFirst, which refuses
 * whatever can be refused before the first feature is written. @p howToAllow completes the
 * refusal: how the caller allows it.
 *
 * Provider is pelmak::XsdGdalDataProvider or its facade pelmak::mi::XsdGdalDataProvider.
 * @throws std::logic_error when the driver has no transactions and that is not allowed,
 * std::runtime_error when the transaction cannot begin, and whatever @p import and the commit throw.
 */
template <typename Provider, typename Check, typename Import>
auto importInOneTransaction(Provider &target, const std::string &targetName, bool allowWithout,
    const std::string &howToAllow, const Check &checkFirst, const Import &import)
{
    const bool transaction = target.supportsTransactions();
    if (!transaction) {
        if (!allowWithout)
            throw std::logic_error("the driver of " + targetName
                + " has no transactions, so a failure would leave the features stored before it; " + howToAllow
                + " to import all the same");
        checkFirst();
    } else if (!target.beginTransaction()) {
        throw std::runtime_error("cannot begin a transaction in " + targetName);
    }
    decltype(import()) result;
    try {
        result = import();
    } catch (...) {
        if (transaction)
            target.rollbackTransaction();
        throw;
    }
    if (transaction)
        target.finishTransaction(); // rolls back itself when the commit fails
    return result;
}

} // namespace hostsupport

#endif
