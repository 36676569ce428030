/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GDALERRORS_P_H
#define DORVELLXSD_GDALERRORS_P_H

#include "gdaltext_p.h"

#include <cpl_error.h>

namespace pelmak {

/*
 * GDAL's error handler and last error belong to the host's thread. Every entry of the library
 * that calls GDAL holds one of these for as long as it does: GDAL's reports go to a quiet handler
 * instead of the host's (which would show each of them before the exception that carries it), and
 * on leaving, the thread's last error is the host's again, whatever the library reset or caused.
 * Scopes nest; the library's checks read the last error inside the innermost one.
 */
class GdalErrorScope
{
public:
    GdalErrorScope()
        : quiet(CPLQuietErrorHandler)
    {
        CPLErrorReset();
    }

    /// Forgets what GDAL reported so far, so that the next check sees only what follows.
    void reset() { CPLErrorReset(); }
    /// True when GDAL reported a failure since the scope began or was last reset.
    bool failed() const { return CPLGetLastErrorType() >= CE_Failure; }
    /// The text of GDAL's last report in this scope, empty when there was none.
    QString lastError() const { return lastGdalError(); }

private:
    Q_DISABLE_COPY(GdalErrorScope)
    // Declared first: the host's state is taken before the handler is pushed and given back after
    // it is popped.
    CPLErrorStateBackuper hostState;
    CPLErrorHandlerPusher quiet;
};

} // namespace pelmak

#endif
