/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLLIMITS_P_H
#define DORVELLXSD_XMLLIMITS_P_H

namespace pelmak {

/*
 * The deepest element nesting any reader or the validator accepts. Exchange documents nest
 * about ten levels and schemas a few more; a document far deeper than this limit is hostile,
 * and the XML parsers beneath the library exhaust the stack or spend minutes on one.
 */
inline constexpr int MaxXmlDepth = 1000;

/*
 * The most attributes and namespace declarations the validator accepts on one element. An
 * exchange element carries a handful of each; thousands make Xerces-C's validator spend time
 * in proportion to their number for every element below them.
 */
inline constexpr int MaxXmlAttributes = 256;
inline constexpr int MaxXmlNamespaceDeclarations = 64;

} // namespace pelmak

#endif
