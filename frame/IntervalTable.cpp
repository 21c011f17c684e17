// The interval table of the results database.
#include "IntervalTable.h"

#include "AppState.h"
#include "AsciiText.h"
#include "Database.h"
#include "ErrorHandler.h"
#include "Hooks.h"
#include "NumberText.h"

namespace vel {

namespace {

bool IsPlainName(const std::string& name) {
    if (name.empty() || IsAsciiDigit(name.front())) return false;
    for (char c : name)
        if (!IsAsciiAlnum(c) && c != '_') return false;
    return true;
}

}  // namespace

std::string FormatNumber(float value, const std::string& format) {
    const size_t point = format.find('.');
    const std::string whole = format.substr(0, point);
    const std::string decimals = point == std::string::npos ? "" : format.substr(point + 1);
    if (whole != "0" || decimals.find_first_not_of('0') != std::string::npos)
        return formatSingle(value);
    return formatFixed(value, static_cast<int>(decimals.size()));
}

std::string IntervalString(int k, const std::string& variableName, const std::string& format) {
    const std::string high = FormatNumber(IntervalLimit(k, 1), format);
    const std::string low = FormatNumber(IntervalLimit(k, 2), format);
    if (k == IntervalCount) return high + ">" + variableName;
    if (k == 1) return variableName + ">=" + low;
    return high + ">" + variableName + ">=" + low;
}

void SaveIntervalTable(const std::string& tableName, const std::string& variableName,
                       const std::string& format) {
    ErrorPosition = 22;
    if (!IsPlainName(tableName)) {
        ShowErrorHandler(DatabaseError("Table name is not valid: " + tableName));
        return;
    }
    try {
        Database db = Database::Open(ResultsDatabasePath);
        Database::Transaction transaction(db);
        db.execute("CREATE TABLE " + tableName +
                   "(IntervalNum INTEGER, LimitHigh Single, "
                   " LimitLow  Single, IntervalString TEXT ); ");
        Statement insert = db.prepare("INSERT INTO " + tableName +
                                      "(IntervalNum, LimitHigh, LimitLow, IntervalString) "
                                      " VALUES(?1, ?2, ?3, ?4) ");
        for (int k = 1; k <= IntervalCount; ++k) {
            insert.reset();
            insert.bindAll({k, IntervalLimit(k, 1), IntervalLimit(k, 2),
                            IntervalString(k, variableName, format)});
            insert.run();
        }
        transaction.commit();
    } catch (const VellicorError& e) {
        ShowErrorHandler(e);
    }
    YieldToEvents();
}

}  // namespace vel
