// URL list lines, list kinds, the checks that keep downloads in their folder and on HTTP,
// credentials and the masking of passwords.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

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
