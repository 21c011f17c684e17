// The EOD structure file.
#include "EodStructure.h"

#include "ActivityLog.h"
#include "AppState.h"
#include "AutomationState.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "Errors.h"
#include "FilePaths.h"
#include "SmallRoutines.h"
#include "TextFile.h"

namespace vel {

namespace {

constexpr int kColumns = 20;
const std::string kNoteExtension = ".eodurls";
const char* const kNewStructure = "New.eodstru";

void WriteStructure(const std::string& path) {
    try {
        WriteTextLines(path, {EodStruLine1, EodStruLine2});
    } catch (const FileError& e) {
        WriteActivityLog("EOD structure file cannot be written: " + path);
        door().MessageBox(std::string("EOD structure file cannot be written!\r\n") + e.what(),
                          "Vellicor", MsgButtons::OK);
    }
}

}  // namespace

std::string EODStructureOverwriteQuestion(const std::string& path) {
    return "EOD structure file " + path + "\r\nalready exists! Overrite?\r\n";
}

bool SaveEODStructure() {
    SetEODStructureFileName();
    WriteEODStructureFiles();
    return true;
}

void SetEODStructureFileName() {
    EodStruBaseName.clear();
    const auto notes = ListDirectory(DataFolderPath, "*" + kNoteExtension, EntryKind::Files);
    const std::string note = notes.empty() ? std::string() : notes.front();
    if (note.size() > kNoteExtension.size()) {
        EodStruBaseName = note.substr(0, note.size() - kNoteExtension.size());
        EodStruFileName = EodStruBaseName + ".eodstru";
    } else {
        EodStruFileName = kNewStructure;
    }
    EodStruFilePath = JoinPath(ProgramFolderPath, EodStruFileName);
}

std::vector<std::string> EODStructureLines() {
    std::string types, roles;
    for (int c = 1; c <= kColumns; ++c) {
        types += std::to_string(ImportColumnType(c));
        const std::string& name = ImportColumnName(c);
        roles += name.empty() ? '-' : name.front();
    }
    return {types, roles};
}

void WriteEODStructureFiles() {
    const auto lines = EODStructureLines();
    EodStruLine1 = lines[0];
    EodStruLine2 = lines[1];
    bool write = true;
    if (FileExists(EodStruFilePath))
        write = door().MessageBox(EODStructureOverwriteQuestion(EodStruFilePath), "",
                                  MsgButtons::YesNo) == MsgAnswer::Yes;
    if (write || !FileExists(EodStruFilePath)) WriteStructure(EodStruFilePath);
    if (!DataFolderPath.empty()) WriteStructure(JoinPath(DataFolderPath, EodStruFileName));
    WriteStructure(JoinPath(ProgramFolderPath, kNewStructure));
}

void ReadEODStructureFile() {
    EodStruFieldCount = 0;
    for (int c = 1; c <= kColumns; ++c) {
        ImportColumnType(c) = 0;
        ImportColumnName(c).clear();
    }
    EodStruLine1.clear();
    EodStruLine2.clear();
    if (!FileExists(EodStruFilePath)) return;
    std::vector<std::string> lines;
    try {
        lines = ReadTextLines(EodStruFilePath, 2);
    } catch (const FileError&) {
        return;
    }
    if (lines.size() > 0) EodStruLine1 = lines[0];
    if (lines.size() > 1) EodStruLine2 = lines[1];
    if (EodStruLine1.size() != kColumns || EodStruLine2.size() != kColumns) return;
    for (int c = 1; c <= kColumns; ++c) {
        const char digit = EodStruLine1[static_cast<size_t>(c - 1)];
        ImportColumnType(c) = digit >= '0' && digit <= '9' ? digit - '0' : 0;
        const char* role = nullptr;
        switch (EodStruLine2[static_cast<size_t>(c - 1)]) {
            case 'S':
                role = "Symbol";
                break;
            case 'T':
                role = "TradeDate";
                break;
            case 'P':
                role = "Price";
                break;
            case 'V':
                role = "Volume";
                break;
            default:
                break;
        }
        if (role) {
            ImportColumnName(c) = role;
            ++EodStruFieldCount;
        }
    }
}

bool EODStructureIsUsable() {
    struct Role {
        const char* name;
        bool (*typeFits)(int);
        int seen = 0;
    };
    Role roles[] = {{"Symbol", [](int t) { return t == 2; }},
                    {"TradeDate", [](int t) { return t == 3 || t == 1; }},
                    {"Price", [](int t) { return t == 1; }},
                    {"Volume", [](int t) { return t == 1; }}};
    for (int c = 1; c <= kColumns; ++c) {
        for (Role& r : roles) {
            if (ImportColumnName(c) != r.name) continue;
            if (!r.typeFits(ImportColumnType(c))) return false;
            ++r.seen;
        }
    }
    for (const Role& r : roles)
        if (r.seen != 1) return false;
    return true;
}

}  // namespace vel
