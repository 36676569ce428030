#include "schemafetch_p.h"

#include <QUrl>

#include <curl/curl.h>

#include <memory>

namespace pelmak {
namespace {

struct CurlDeleter
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};

size_t appendChunk(char *data, size_t size, size_t count, void *target)
{
    auto &content = *static_cast<QByteArray *>(target);
    const size_t bytes = size * count;
    if (content.size() + static_cast<qint64>(bytes) > MaxSchemaFileBytes)
        return 0; // curl then fails the transfer
    content.append(data, static_cast<int>(bytes));
    return bytes;
}

} // namespace

bool isNetworkAddress(const QString &location)
{
    const QString scheme = QUrl(location).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp");
}

bool fetchSchema(const QString &url, QByteArray &content, QString &error)
{
    const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        error = QStringLiteral("curl_easy_init");
        return false;
    }
    const QByteArray address = url.toUtf8();
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.constData());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, static_cast<long>(SchemaFetchTimeoutSeconds));
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, appendChunk);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &content);
    const CURLcode result = curl_easy_perform(curl.get());
    if (result == CURLE_OK)
        return true;
    error = QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(result));
    return false;
}

} // namespace pelmak
