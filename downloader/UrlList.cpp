// URL list files.
#include "UrlList.h"

#include <sys/stat.h>

#include <QUrl>

#include "AsciiText.h"
#include "DownloadText.h"
#include "DownloaderState.h"
#include "FilePaths.h"

namespace vel {

namespace {

const std::string kClose = "):";

}  // namespace

void GetSaveFolder(const std::string& listPath) {
    SaveFolder.clear();
    PassCountMax = 1;
    SaveOnError = false;
    const size_t htm = FindNoCase(listPath, ".htmurls");
    const size_t eod = FindNoCase(listPath, ".eodurls");
    if (htm != std::string::npos && htm >= 1) {
        SaveFolder = Trim(listPath.substr(0, htm)) + "-HTM/";
        PassCountMax = 3;
    } else if (eod != std::string::npos && eod >= 1) {
        SaveFolder = Trim(listPath.substr(0, eod)) + "-EOD/";
        PassCountMax = 5;
        SaveOnError = true;
    }
}

bool SaveNameMeetsLink(const std::string& folder, const std::string& name, bool* isFile,
                       bool* isMissing) {
    if (isFile) *isFile = false;
    if (isMissing) *isMissing = false;
    std::string path = folder;
    struct stat st {};
    bool looked = false;
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (end > start) {
            path = JoinPath(path, name.substr(start, end - start));
            looked = true;
            // What cannot be looked at counts as missing.
            if (::lstat(path.c_str(), &st) != 0) {
                if (isMissing) *isMissing = true;
                return false;  // nothing further down exists
            }
            if (S_ISLNK(st.st_mode)) return true;
        }
        start = end + 1;
    }
    if (isFile) *isFile = looked && S_ISREG(st.st_mode);
    return false;
}

UrlCredentials SplitCredentials(const std::string& urlPart) {
    UrlCredentials c;
    c.url = Trim(urlPart);
    std::string value;
    std::string rest;
    if (TakeLeadingPart(c.url, "UserName(", value, rest)) {
        c.userName = value;
        c.url = rest;
    }
    if (TakeLeadingPart(c.url, "Password(", value, rest)) {
        c.password = value;
        c.url = rest;
    }
    return c;
}

bool IsFetchableUrl(const std::string& url) {
    return IsFetchableUrl(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

bool IsFetchableUrl(const QUrl& u) {
    if (!u.isValid()) return false;
    const std::string scheme = u.scheme().toStdString();
    return (EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https")) && !u.host().isEmpty();
}

std::string OriginOf(const QUrl& url) {
    const std::string scheme = ToLowerAscii(url.scheme().toStdString());
    const int port = url.port(scheme == "https" ? 443 : 80);
    return scheme + "://" + ToLowerAscii(url.host().toStdString()) + ":" + std::to_string(port);
}

std::string MaskPasswords(const std::string& text) {
    std::string s = text;
    const std::string keyword = "Password(";
    for (size_t at = FindNoCase(s, keyword); at != std::string::npos;
         at = FindNoCase(s, keyword, at + 1)) {
        const size_t from = at + keyword.size();
        const size_t close = s.find(kClose, from);
        if (close == std::string::npos) {
            s.replace(from, std::string::npos, "***");
            break;
        }
        s.replace(from, close - from, "***");
    }
    for (size_t at = s.find("://"); at != std::string::npos; at = s.find("://", at + 3)) {
        const size_t authority = at + 3;
        const size_t end = s.find_first_of("/?# ", authority);
        const size_t atSign = s.rfind('@', end == std::string::npos ? s.size() : end);
        if (atSign == std::string::npos || atSign < authority) continue;
        const size_t colon = s.find(':', authority);
        if (colon == std::string::npos || colon > atSign) continue;
        s.replace(colon + 1, atSign - colon - 1, "***");
    }
    return s;
}

std::vector<std::string> FolderNoteLines(const std::string& listPath) {
    return {"New content of this folder was downloaded by using this list of URLs : ", listPath};
}

}  // namespace vel
