// URL list lines, list kinds, the checks that keep downloads in their folder and on HTTP,
// credentials and the masking of passwords.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <regex>

#include "DownloaderFixture.h"
#include "DownloaderState.h"
#include "UrlList.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

using UrlListTest = testing::DownloaderFixture;

TEST_F(UrlListTest, ValidLinesBeginWithTheKeywordInAnyCaseAndHoldItsEnd) {
    EXPECT_TRUE(IsValidListLine("SaveTo(A.csv):http://h/a"));
    EXPECT_TRUE(IsValidListLine("   saveto( A.csv ):http://h/a  "));
    EXPECT_TRUE(IsValidListLine("SAVETO():x"));  // valid, its empty name is refused later
    EXPECT_FALSE(IsValidListLine("x SaveTo(A.csv):http://h/a"));
    EXPECT_FALSE(IsValidListLine("SaveTo(A.csv) http://h/a"));
    EXPECT_FALSE(IsValidListLine("; SaveTo(A.csv):http://h/a"));
    EXPECT_FALSE(IsValidListLine(""));
    EXPECT_FALSE(IsValidListLine("SaveTo"));
}

TEST_F(UrlListTest, AnEntrySplitsAtTheFirstCloseOfTheLine) {
    const ListEntry e = SplitListEntry("SaveTo( A.csv ):  UserName(bob):Password(pw):http://h/a ");
    EXPECT_EQ(e.fileName, "A.csv");
    EXPECT_EQ(e.urlPart, "UserName(bob):Password(pw):http://h/a");
    const ListEntry long_ = SplitListEntry("SaveTo(B):" + std::string(12000, 'u'));
    EXPECT_EQ(long_.urlPart.size(), kMaxUrlPartLength);
}

TEST_F(UrlListTest, AListKeepsItsValidLinesInOrder) {
    WriteFile(TempPath("L.eodurls"),
              "; comment\r\n  SaveTo(1.csv):http://h/1\r\n* other\r\nsaveto(2.csv):http://h/2\r"
              "\nbad line\nSaveTo(3.csv):http://h/3");
    std::vector<std::string> entries;
    ASSERT_TRUE(ReadUrlList(TempPath("L.eodurls"), entries));
    EXPECT_EQ(entries,
              (std::vector<std::string>{"SaveTo(1.csv):http://h/1", "saveto(2.csv):http://h/2",
                                        "SaveTo(3.csv):http://h/3"}));
    EXPECT_FALSE(ReadUrlList(TempPath("Missing.eodurls"), entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(UrlListTest, AListContributesAtMost10000Lines) {
    std::string text;
    for (int i = 1; i <= 10005; ++i)
        text += "SaveTo(" + std::to_string(i) + ".csv):http://h/" + std::to_string(i) + "\n";
    WriteFile(TempPath("Big.eodurls"), text);
    std::vector<std::string> entries;
    ASSERT_TRUE(ReadUrlList(TempPath("Big.eodurls"), entries));
    ASSERT_EQ(entries.size(), 10000u);
    EXPECT_EQ(entries.back(), "SaveTo(10000.csv):http://h/10000");
}

// Random lines of list tokens against a pattern of the line format: the same lines are valid
// and they split into the same name and URL part.
TEST_F(UrlListTest, FuzzedLinesAreReadAsTheFormatSays) {
    const std::regex line(R"(^[ \t]*[Ss][Aa][Vv][Ee][Tt][Oo]\((.*?)\):(.*?)[ \t]*$)");
    const std::vector<std::string> tokens = {"SaveTo(",   "saveTO(",   "):", ")",     "(",
                                             ":",         " ",         "\t", "a.csv", "UserName(",
                                             "Password(", "http://h/", ";",  "x"};
    std::mt19937 rng(7);
    int valid = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int count = static_cast<int>(rng() % 8);
        for (int k = 0; k < count; ++k) text += tokens[rng() % tokens.size()];
        std::smatch m;
        const bool expected = std::regex_match(text, m, line);
        ASSERT_EQ(IsValidListLine(text), expected) << "[" << text << "]";
        if (!expected) continue;
        ++valid;
        const ListEntry e = SplitListEntry(text);
        auto trim = [](std::string s) {
            s.erase(0, s.find_first_not_of(" \t"));
            s.erase(s.find_last_not_of(" \t") + 1);
            return s;
        };
        EXPECT_EQ(e.fileName, trim(m[1].str())) << text;
        EXPECT_EQ(e.urlPart, trim(m[2].str())) << text;
    }
    EXPECT_GT(valid, 500);
}

// Random URL parts with credentials: the masked text never holds the password, and the user
// name and address read from it are those of the original.
TEST_F(UrlListTest, FuzzedCredentialsAreMaskedWithoutChangingTheRest) {
    const std::vector<std::string> users = {"", "bob", "Ann Lee"};
    const std::vector<std::string> urls = {"http://h/a", "https://h/b?Password=1",
                                           "http://u:PW7secret@h/c", "http://h/(x):y"};
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const std::string password = "PW" + std::to_string(rng() % 10) + "secret";
        const std::string user = users[rng() % users.size()];
        std::string part;
        if (rng() % 2) part += "UserName(" + user + "):";
        if (rng() % 3) part += (rng() % 2 ? "Password(" : "PASSWORD(") + password + "):";
        part += urls[rng() % urls.size()];
        const std::string masked = MaskPasswords("SaveTo(A.csv):" + part);
        EXPECT_EQ(masked.find(password), std::string::npos) << part;
        EXPECT_EQ(masked.find("PW7secret"), std::string::npos) << part;
        const UrlCredentials before = SplitCredentials(part);
        const UrlCredentials after = SplitCredentials(SplitListEntry(masked).urlPart);
        EXPECT_EQ(after.userName, before.userName) << part;
        EXPECT_EQ(after.url.substr(0, 8), before.url.substr(0, 8)) << part;
        EXPECT_LE(after.url.size(), before.url.size()) << part;
    }
}

TEST_F(UrlListTest, TheListKindGivesFolderAttemptsAndSaving) {
    struct Case {
        std::string path;
        std::string folder;
        int attempts;
        bool saveOnError;
    };
    const Case cases[] = {
        {"/p/Daily.eodurls", "/p/Daily-EOD/", 5, true},
        {"/p/ResearchLinks.htmurls", "/p/ResearchLinks-HTM/", 3, false},
        {"/p/Mixed.EODURLS", "/p/Mixed-EOD/", 5, true},
        {"/p/a.eodurls.htmurls", "/p/a.eodurls-HTM/", 3, false},  // htm wins
        {"/p/a.htmurls.eodurls", "/p/a-HTM/", 3, false},
        {"/p/plain.txt", "", 1, false},
        {".eodurls", "", 1, false},  // position 1 does not count
    };
    for (const auto& c : cases) {
        GetSaveFolder(c.path);
        EXPECT_EQ(SaveFolder, c.folder) << c.path;
        EXPECT_EQ(PassCountMax, c.attempts) << c.path;
        EXPECT_EQ(SaveOnError, c.saveOnError) << c.path;
    }
}

TEST_F(UrlListTest, SaveNamesStayInsideTheSaveFolder) {
    for (const std::string name : {"A.csv", "sub/A.csv", "a..b.csv", ".hidden", "ab:c"})
        EXPECT_TRUE(IsSafeSaveName(name)) << name;
    for (const std::string name : {"", "/etc/passwd", "\\x", "C:x.csv", "x:y", "../x", "a/../../x",
                                   "..\\x", "a\\..\\..\\x", "..", "sub/", ".", "sub/."})
        EXPECT_FALSE(IsSafeSaveName(name)) << name;
}

TEST_F(UrlListTest, FuzzedSaveNamesThatPassNeverLeaveTheFolder) {
    std::mt19937 rng(20240611);
    const std::string alphabet = "a./\\:";
    const fs::path folder = "/save/folder";
    for (int i = 0; i < 20000; ++i) {
        std::string name;
        const int len = static_cast<int>(rng() % 9);
        for (int k = 0; k < len; ++k) name += alphabet[rng() % alphabet.size()];
        if (!IsSafeSaveName(name)) continue;
        std::string asPosix = name;
        for (char& c : asPosix)
            if (c == '\\') c = '/';
        const fs::path joined = (folder / asPosix).lexically_normal();
        const std::string rel = joined.lexically_relative(folder).string();
        EXPECT_FALSE(rel.empty() || rel == "." || rel == ".." || rel.rfind("../", 0) == 0) << name;
    }
}

TEST_F(UrlListTest, CredentialsLeadTheUrlPart) {
    const auto both = SplitCredentials(" UserName( bob ):Password( s3cret ): http://h/a ");
    EXPECT_EQ(both.userName, "bob");
    EXPECT_EQ(both.password, "s3cret");
    EXPECT_EQ(both.url, "http://h/a");
    const auto alone = SplitCredentials("password(pw):http://h/a");
    EXPECT_EQ(alone.userName, "");
    EXPECT_EQ(alone.password, "pw");
    EXPECT_EQ(alone.url, "http://h/a");
    // A user name part after a password part is part of the address.
    const auto late = SplitCredentials("Password(pw):UserName(u):http://h/a");
    EXPECT_EQ(late.password, "pw");
    EXPECT_EQ(late.url, "UserName(u):http://h/a");
    const auto none = SplitCredentials("http://h/a?x=UserName(u):");
    EXPECT_EQ(none.userName, "");
    EXPECT_EQ(none.url, "http://h/a?x=UserName(u):");
}

TEST_F(UrlListTest, OnlyHttpAndHttpsAreFetched) {
    for (const std::string url : {"http://h/a", "HTTPS://h.example/a?b=1", "http://127.0.0.1:8/"})
        EXPECT_TRUE(IsFetchableUrl(url)) << url;
    for (const std::string url : {"file:///etc/passwd", "ftp://h/a", "javascript:alert(1)",
                                  "http://", "h/a", "", "data:text/plain,x"})
        EXPECT_FALSE(IsFetchableUrl(url)) << url;
}

TEST_F(UrlListTest, PasswordsAreMaskedAndUserNamesKept) {
    EXPECT_EQ(MaskPasswords("SaveTo(A):UserName(bob):Password(s3cret):http://h/a"),
              "SaveTo(A):UserName(bob):Password(***):http://h/a");
    EXPECT_EQ(MaskPasswords("http://bob:s3cret@h/a?p=1"), "http://bob:***@h/a?p=1");
    EXPECT_EQ(MaskPasswords("PASSWORD(x):https://u:v@h"), "PASSWORD(***):https://u:***@h");
    EXPECT_EQ(MaskPasswords("Password(unclosed"), "Password(***");
    EXPECT_EQ(MaskPasswords("http://h/a@b:c"), "http://h/a@b:c");
    EXPECT_EQ(MaskPasswords("http://bob@h/a"), "http://bob@h/a");
}

}  // namespace
}  // namespace vel
