#ifndef DORVELLXSD_XSDLANGUAGE_H
#define DORVELLXSD_XSDLANGUAGE_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QString>

namespace pelmak {

/**
 * Chooses the language of the library's messages, for the whole process: "ru" (the Russian
 * source texts) or "en" (the English catalogue built into the library); an empty @p language
 * takes it from the locale as gettext does: the first of LC_ALL, LC_MESSAGES and LANG that is set
 * names the locale; in "C", "C.UTF-8" and "POSIX" the messages are English; in any other the first
 * of the languages LANGUAGE lists that is "ru" or "en" is taken, else Russian in a Russian locale and
 * English in every other.
 *
 * Until a host calls this, every message passes through Qt's translation lookup
 * (QObject::tr), so that translators the host installs in its application replace the texts.
 * Texts of Xerces-C and GDAL inside a message stay as they word them. May be called from any
 * thread; a message made on another thread meanwhile is in one language or the other.
 * @throws std::logic_error for any other language.
 */
DORVELLXSD_EXPORT void setMessageLanguage(const QString &language = {});

/// "ru" or "en" once setMessageLanguage() chose one; empty while the host's translators decide.
DORVELLXSD_EXPORT QString messageLanguage();

} // namespace pelmak

#endif
