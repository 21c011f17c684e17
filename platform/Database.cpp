// SQLite through its C API: connections, statements, make-table selects, appended tables and
// the rounding of SINGLE columns.
#include "Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "AsciiText.h"
#include "FilePaths.h"
#include "NumberText.h"
#include "SystemErrorText.h"

namespace vel {

namespace {

[[noreturn]] void fail(sqlite3* db, int rc) {
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw SqlError(code, msg ? msg : "database error");
}

// The first keyword of a statement, upper-cased.
std::string firstKeyword(std::string_view sql) {
    size_t i = 0;
    while (i < sql.size() && IsAsciiSpace(sql[i])) ++i;
    std::string k;
    while (i < sql.size() && IsAsciiAlpha(sql[i])) k += ToUpperAscii(sql[i++]);
    return k;
}

// CSNG(x): x rounded to single precision; null stays null; text that is no number and values
// beyond the single range are errors, as a single-precision field refuses them.
void csngFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        type = sqlite3_value_numeric_type(v);
        if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
            sqlite3_result_error(ctx, "Data type mismatch: a SINGLE field takes numbers only", -1);
            return;
        }
    }
    const double d = sqlite3_value_double(v);
    const float f = static_cast<float>(d);
    if (std::isinf(f) && !std::isinf(d)) {
        sqlite3_result_error(ctx, "Overflow: value beyond the SINGLE range", -1);
        return;
    }
    sqlite3_result_double(ctx, static_cast<double>(f));
}

// ---- The row source of a bulk insert: an eponymous virtual table "vel_rows" whose hidden
// column takes the source (bound as a pointer), so that one INSERT ... SELECT reads it.

constexpr int kRowColumns = 64;
const char* const kRowSourcePointer = "vel_RowSource";

// What the insert binds: the source, and the exception that stopped it.
struct RowFeed {
    RowSource* source = nullptr;
    std::exception_ptr error;
};

struct RowCursor {
    sqlite3_vtab_cursor base;
    RowFeed* feed = nullptr;
    bool eof = true;
    sqlite3_int64 row = 0;
};

int rowsConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    std::string schema = "CREATE TABLE x(";
    for (int i = 0; i < kRowColumns; ++i) {
        schema += 'c';
        schema += std::to_string(i);
        schema += ", ";
    }
    schema += "feed HIDDEN)";
    const int rc = sqlite3_declare_vtab(db, schema.c_str());
    if (rc != SQLITE_OK) return rc;
    auto* vtab = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!vtab) return SQLITE_NOMEM;
    *vtab = sqlite3_vtab{};
    *out = vtab;
    return SQLITE_OK;
}

int rowsDisconnect(sqlite3_vtab* vtab) {
    sqlite3_free(vtab);
    return SQLITE_OK;
}

// Only a scan with the feed given is possible.
int rowsBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == kRowColumns && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1e6;
            return SQLITE_OK;
        }
    }
    return SQLITE_CONSTRAINT;
}

int rowsOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    auto* cursor = new (std::nothrow) RowCursor();
    if (!cursor) return SQLITE_NOMEM;
    *out = &cursor->base;
    return SQLITE_OK;
}

int rowsClose(sqlite3_vtab_cursor* cursor) {
    delete reinterpret_cast<RowCursor*>(cursor);
    return SQLITE_OK;
}

// Moves the source on, keeping an exception for the caller of the insert.
int rowsAdvance(RowCursor* c) {
    try {
        c->eof = !c->feed->source->next();
        ++c->row;
        return SQLITE_OK;
    } catch (...) {
        c->feed->error = std::current_exception();
        c->eof = true;
        return SQLITE_ERROR;
    }
}

int rowsFilter(sqlite3_vtab_cursor* cursor, int, const char*, int argc, sqlite3_value** argv) {
    auto* c = reinterpret_cast<RowCursor*>(cursor);
    c->feed = argc == 1 ? static_cast<RowFeed*>(sqlite3_value_pointer(argv[0], kRowSourcePointer))
                        : nullptr;
    if (!c->feed || !c->feed->source) return SQLITE_MISUSE;
    c->row = 0;
    return rowsAdvance(c);
}

int rowsNext(sqlite3_vtab_cursor* cursor) {
    return rowsAdvance(reinterpret_cast<RowCursor*>(cursor));
}

int rowsEof(sqlite3_vtab_cursor* cursor) {
    return reinterpret_cast<RowCursor*>(cursor)->eof ? 1 : 0;
}

int rowsColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* ctx, int column) {
    auto* c = reinterpret_cast<RowCursor*>(cursor);
    if (column >= kRowColumns) return SQLITE_OK;
    try {
        RowValue value(ctx);
        c->feed->source->value(column, value);
        return SQLITE_OK;
    } catch (...) {
        c->feed->error = std::current_exception();
        sqlite3_result_error(ctx, "the row source failed", -1);
        return SQLITE_ERROR;
    }
}

int rowsRowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowid) {
    *rowid = reinterpret_cast<RowCursor*>(cursor)->row;
    return SQLITE_OK;
}

// Eponymous only (no xCreate): the table exists on every connection without being created.
const sqlite3_module kRowsModule = {.iVersion = 0,
                                    .xCreate = nullptr,
                                    .xConnect = rowsConnect,
                                    .xBestIndex = rowsBestIndex,
                                    .xDisconnect = rowsDisconnect,
                                    .xDestroy = nullptr,
                                    .xOpen = rowsOpen,
                                    .xClose = rowsClose,
                                    .xFilter = rowsFilter,
                                    .xNext = rowsNext,
                                    .xEof = rowsEof,
                                    .xColumn = rowsColumn,
                                    .xRowid = rowsRowid,
                                    .xUpdate = nullptr,
                                    .xBegin = nullptr,
                                    .xSync = nullptr,
                                    .xCommit = nullptr,
                                    .xRollback = nullptr,
                                    .xFindFunction = nullptr,
                                    .xRename = nullptr,
                                    .xSavepoint = nullptr,
                                    .xRelease = nullptr,
                                    .xRollbackTo = nullptr,
                                    .xShadowName = nullptr};

}  // namespace

void RowValue::setNull() {
    sqlite3_result_null(static_cast<sqlite3_context*>(context_));
}
void RowValue::setInteger(std::int64_t v) {
    sqlite3_result_int64(static_cast<sqlite3_context*>(context_), v);
}
void RowValue::setDouble(double v) {
    sqlite3_result_double(static_cast<sqlite3_context*>(context_), v);
}
void RowValue::setText(std::string_view v) {
    sqlite3_result_text(static_cast<sqlite3_context*>(context_), v.data(),
                        static_cast<int>(v.size()), SQLITE_TRANSIENT);
}
void RowValue::set(const DbValue& v) {
    switch (v.raw().index()) {
        case 1:
            setInteger(std::get<1>(v.raw()));
            break;
        case 2:
            setDouble(std::get<2>(v.raw()));
            break;
        case 3:
            setText(std::get<3>(v.raw()));
            break;
        default:
            setNull();
            break;
    }
}

DbType DbTypeFromDeclared(std::string_view declared) {
    while (!declared.empty() && declared.front() == ' ') declared.remove_prefix(1);
    while (!declared.empty() && declared.back() == ' ') declared.remove_suffix(1);
    if (EqualsNoCase(declared, "DOUBLE")) return DbType::Double;
    if (EqualsNoCase(declared, "SINGLE")) return DbType::Single;
    if (EqualsNoCase(declared, "INTEGER")) return DbType::Integer;
    if (EqualsNoCase(declared, "TEXT")) return DbType::Text;
    if (EqualsNoCase(declared, "DATE")) return DbType::Date;
    return DbType::Other;
}

const char* DbTypeName(DbType type) {
    switch (type) {
        case DbType::Double:
            return "DOUBLE";
        case DbType::Single:
            return "SINGLE";
        case DbType::Integer:
            return "INTEGER";
        case DbType::Text:
            return "TEXT";
        case DbType::Date:
            return "DATE";
        default:
            return "";
    }
}

std::string QuoteIdentifier(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    q += '"';
    return q;
}

// ---- DbValue ----------------------------------------------------------------------------

namespace {

// The number at the start of a text as the engine reads one (blanks first, an optional sign,
// digits with one point, an optional exponent); 0 when the text does not start with one.
double LeadingNumber(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
    const size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && IsAsciiDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsAsciiDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsAsciiDigit(s[j])) {
            while (j < s.size() && IsAsciiDigit(s[j])) ++j;
            i = j;
        }
    }
    return readDecimal(s.substr(start, i - start)).value_or(0.0);
}

// A real in the engine's own text layout: 15 significant digits, trailing zeros dropped but at
// least one digit after the point ("100.0", "0.1"), the exponent form "1.5e-07" / "1.0e+20"
// when the decimal exponent is below -4 or above 14. Rounded to nearest, ties to even, where
// the engine's own printf can miss a tie in the 15th digit.
std::string EngineRealText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
    if (v == 0.0) return "0.0";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const std::string e(buf, r.ptr);
    const size_t epos = e.find('e');
    const bool negative = e[0] == '-';
    std::string digits = e.substr(negative ? 1 : 0, epos - (negative ? 1 : 0));
    digits.erase(1, 1);  // the point after the first digit
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exp10 = 0;
    std::string_view exponent(e.data() + epos + 1, e.size() - epos - 1);
    if (exponent.front() == '+') exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), exp10);
    std::string out = negative ? "-" : "";
    if (exp10 < -4 || exp10 > 14) {
        out += digits.substr(0, 1) + "." + (digits.size() > 1 ? digits.substr(1) : "0") + "e";
        out += exp10 < 0 ? '-' : '+';
        const int a = exp10 < 0 ? -exp10 : exp10;
        if (a >= 100) out += static_cast<char>('0' + a / 100);
        out += static_cast<char>('0' + a / 10 % 10);
        out += static_cast<char>('0' + a % 10);
        return out;
    }
    if (exp10 < 0) {
        out += "0." + std::string(static_cast<size_t>(-exp10 - 1), '0') + digits;
    } else {
        const size_t integer = static_cast<size_t>(exp10) + 1;
        if (digits.size() <= integer)
            out += digits + std::string(integer - digits.size(), '0') + ".0";
        else
            out += digits.substr(0, integer) + "." + digits.substr(integer);
    }
    return out;
}

}  // namespace

double DbValue::toDouble() const {
    switch (v_.index()) {
        case 1:
            return static_cast<double>(std::get<1>(v_));
        case 2:
            return std::get<2>(v_);
        case 3:
            return LeadingNumber(std::get<3>(v_));
        default:
            return 0.0;
    }
}

std::int64_t DbValue::toInteger() const {
    switch (v_.index()) {
        case 1:
            return std::get<1>(v_);
        case 2:
            return static_cast<std::int64_t>(std::get<2>(v_));
        case 3:
            return static_cast<std::int64_t>(toDouble());
        default:
            return 0;
    }
}

std::string DbValue::toText() const {
    switch (v_.index()) {
        case 1:
            return std::to_string(std::get<1>(v_));
        case 2:
            return EngineRealText(std::get<2>(v_));
        case 3:
            return std::get<3>(v_);
        default:
            return "";
    }
}

// ---- Statement --------------------------------------------------------------------------

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) fail(db, rc);
    if (!stmt_) throw SqlError(SQLITE_MISUSE, "empty SQL statement");
    for (const char* p = tail; p && p < sql.data() + sql.size(); ++p) {
        if (!IsAsciiSpace(*p) && *p != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw SqlError(SQLITE_MISUSE, "one SQL statement expected");
        }
    }
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = other.stmt_;
        other.stmt_ = nullptr;
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::bind(int i, const DbValue& value) {
    switch (value.raw().index()) {
        case 1:
            bindInteger(i, std::get<1>(value.raw()));
            break;
        case 2:
            bindDouble(i, std::get<2>(value.raw()));
            break;
        case 3:
            bindText(i, std::get<3>(value.raw()));
            break;
        default:
            bindNull(i);
            break;
    }
}

void Statement::bindNull(int i) {
    const int rc = sqlite3_bind_null(stmt_, i);
    if (rc != SQLITE_OK) fail(db_, rc);
}

void Statement::bindInteger(int i, std::int64_t v) {
    const int rc = sqlite3_bind_int64(stmt_, i, v);
    if (rc != SQLITE_OK) fail(db_, rc);
}

void Statement::bindDouble(int i, double v) {
    const int rc = sqlite3_bind_double(stmt_, i, v);
    if (rc != SQLITE_OK) fail(db_, rc);
}

void Statement::bindText(int i, std::string_view v) {
    const int rc =
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) fail(db_, rc);
}

void Statement::bindTextStatic(int i, std::string_view v) {
    const int rc = sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) fail(db_, rc);
}

void Statement::bindAll(std::initializer_list<DbValue> values) {
    int i = 1;
    for (const auto& v : values) bind(i++, v);
}

namespace {
long g_failingStep = 0;
}  // namespace

long InjectStepFailure(long n) {
    const long left = g_failingStep;
    g_failingStep = n > 0 ? n : 0;
    return left;
}

bool Statement::step() {
    if (g_failingStep > 0 && --g_failingStep == 0) {
        sqlite3_reset(stmt_);
        throw SqlError(SQLITE_IOERR, "disk I/O error");
    }
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    fail(db_, rc);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

int Statement::columnIndex(std::string_view name) const {
    const int n = columnCount();
    for (int i = 0; i < n; ++i)
        if (EqualsNoCase(columnName(i), name)) return i;
    throw SqlError(SQLITE_ERROR, "Item not found in this collection: " + std::string(name));
}

DbType Statement::columnDeclaredType(int i) const {
    const char* d = sqlite3_column_decltype(stmt_, i);
    return d ? DbTypeFromDeclared(d) : DbType::Other;
}

bool Statement::isNull(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}

bool Statement::isNumeric(int i) const {
    const int t = sqlite3_column_type(stmt_, i);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

bool Statement::isText(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_TEXT;
}

double Statement::getDouble(int i) const {
    return sqlite3_column_double(stmt_, i);
}

std::int64_t Statement::getInteger(int i) const {
    return sqlite3_column_int64(stmt_, i);
}

std::string Statement::getText(int i) const {
    return std::string(getTextView(i));
}

std::string_view Statement::getTextView(int i) const {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    if (!t) return {};
    return std::string_view(reinterpret_cast<const char*>(t),
                            static_cast<size_t>(sqlite3_column_bytes(stmt_, i)));
}

DbValue Statement::get(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER:
            return DbValue(static_cast<long long>(getInteger(i)));
        case SQLITE_FLOAT:
            return DbValue(getDouble(i));
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            return DbValue(getText(i));
        default:
            return DbValue();
    }
}

// ---- TableAppender ----------------------------------------------------------------------

TableAppender::TableAppender(Database& db, const std::string& table) : db_(&db) {
    const auto cols = db.tableColumns(table);
    if (cols.empty()) throw SqlError(SQLITE_ERROR, "no such table: " + table);
    for (const auto& c : cols) {
        if (c.type != DbType::Single) continue;
        db.execute("DROP TRIGGER IF EXISTS " +
                   QuoteIdentifier(Database::SingleTriggerName(table, c.name, true)));
        triggersSetAside_ = true;
    }
    std::string sql = "INSERT INTO " + QuoteIdentifier(table) + " (";
    std::string params;
    for (size_t i = 0; i < cols.size(); ++i) {
        names_.push_back(cols[i].name);
        types_.push_back(cols[i].type);
        if (i) sql += ", ";
        sql += QuoteIdentifier(cols[i].name);
        params += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + params + ")";
    insert_ = db.prepare(sql);
}

TableAppender::~TableAppender() {
    if (!triggersSetAside_) return;
    insert_ = Statement();
    try {
        db_->ensureSingleRounding();
    } catch (...) {
        // A database that cannot take them now gets them back when it is next opened.
    }
}

void TableAppender::addNew() {
    sqlite3_clear_bindings(insert_.handle());
}

int TableAppender::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i)
        if (EqualsNoCase(names_[i], name)) return static_cast<int>(i);
    throw SqlError(SQLITE_ERROR, "Item not found in this collection: " + std::string(name));
}

void TableAppender::set(int field, const DbValue& value) {
    if (value.isInteger() || value.isDouble()) {
        if (types_[static_cast<size_t>(field)] == DbType::Single || value.isDouble())
            setDouble(field, value.toDouble());
        else
            setInteger(field, value.toInteger());
        return;
    }
    insert_.bind(field + 1, value);
}

void TableAppender::setDouble(int field, double v) {
    if (types_[static_cast<size_t>(field)] == DbType::Single) {
        const float f = static_cast<float>(v);
        if (std::isinf(f) && !std::isinf(v))
            throw SqlError(SQLITE_ERROR, "Overflow: value beyond the SINGLE range");
        v = f;
    }
    insert_.bindDouble(field + 1, v);
}

void TableAppender::setInteger(int field, std::int64_t v) {
    if (types_[static_cast<size_t>(field)] == DbType::Single)
        setDouble(field, static_cast<double>(v));
    else
        insert_.bindInteger(field + 1, v);
}

void TableAppender::setTextStatic(int field, std::string_view v) {
    insert_.bindTextStatic(field + 1, v);
}

void TableAppender::update() {
    insert_.run();
    insert_.reset();
}

// ---- Database ---------------------------------------------------------------------------

namespace {

// The suffix of the longest name of a file that the engine puts beside a database (its journal).
constexpr std::size_t kJournalSuffix = sizeof("-journal") - 1;

[[noreturn]] void PathTooLong(const std::string& path) {
    throw SqlError(SQLITE_CANTOPEN, "The path is too long for a database: " + path);
}

// The engine's file system under a name of its own, which takes a name through a folder's
// descriptor ("/proc/self/fd/<n>/<name>") as it stands: the engine's own resolves the link of
// the descriptor to the folder's full path, which is what was too long. Everything else is the
// engine's file system itself.
sqlite3_vfs g_shortNames;
sqlite3_vfs* g_engineFiles = nullptr;
const char* const kShortNamesVfs = "vel-short-names";
const std::string kDescriptorFolders = "/proc/self/fd/";

int ShortFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    const std::size_t n = std::strlen(name);
    if (std::string_view(name, n).rfind(kDescriptorFolders, 0) != 0)
        return g_engineFiles->xFullPathname(g_engineFiles, name, size, out);
    if (n + 1 > static_cast<std::size_t>(size)) return SQLITE_CANTOPEN;
    std::memcpy(out, name, n + 1);
    return SQLITE_OK;
}

// The engine's file system, with the one of short names registered beside it.
sqlite3_vfs* EngineFiles() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_engineFiles = sqlite3_vfs_find(nullptr);
        g_shortNames = *g_engineFiles;
        g_shortNames.pNext = nullptr;
        g_shortNames.zName = kShortNamesVfs;
        g_shortNames.xFullPathname = ShortFullPathname;
        sqlite3_vfs_register(&g_shortNames, 0);
    });
    return g_engineFiles;
}

// True when the engine can open the file by its path: its full name, links resolved, and the
// journal's beside it stay within the engine's limit.
bool EngineTakesPath(const std::string& path) {
    sqlite3_vfs* files = EngineFiles();
    std::vector<char> full(static_cast<std::size_t>(files->mxPathname) + 1, '\0');
    const int rc = files->xFullPathname(files, path.c_str(), files->mxPathname + 1, full.data());
    return (rc == SQLITE_OK || rc == SQLITE_OK_SYMLINK) &&
           std::strlen(full.data()) + kJournalSuffix <= static_cast<std::size_t>(files->mxPathname);
}

// SqlError saying so for a path longer than the system takes.
void RefuseTooLong(const std::string& path) {
    if (path.size() >= PATH_MAX) PathTooLong(path);
}

}  // namespace

Database Database::openWith(const std::string& path, int flags) {
    Database d;
    std::string name = path;
    const char* vfs = nullptr;
    if (!EngineTakesPath(path)) {
        // The folder is held open while the connection lives: the short name goes through it.
        const std::string folder = FolderOf(path);
        d.folder_ = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (d.folder_ < 0) {
            const int error = errno;
            if (error == ENAMETOOLONG) PathTooLong(path);
            throw SqlError(SQLITE_CANTOPEN, "unable to open database file: " + path + " (" +
                                                SystemErrorText(error) + ")");
        }
        name = kDescriptorFolders + std::to_string(d.folder_) + "/" + FileNameOf(path);
        // Without the descriptors' folders (no /proc), or a name still too long, nothing is left.
        struct stat held {};
        struct stat seen {};
        if (::fstat(d.folder_, &held) != 0 || ::stat(FolderOf(name).c_str(), &seen) != 0 ||
            held.st_dev != seen.st_dev || held.st_ino != seen.st_ino ||
            name.size() + kJournalSuffix > static_cast<std::size_t>(EngineFiles()->mxPathname))
            PathTooLong(path);
        vfs = kShortNamesVfs;
    }
    const int rc = sqlite3_open_v2(name.c_str(), &d.db_, flags | SQLITE_OPEN_NOMUTEX, vfs);
    if (rc != SQLITE_OK) {
        const std::string msg = d.db_ ? sqlite3_errmsg(d.db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(d.db_);
        d.db_ = nullptr;
        throw SqlError(rc, msg + ": " + path);
    }
    d.path_ = path;
    sqlite3_extended_result_codes(d.db_, 1);
    sqlite3_busy_timeout(d.db_, 5000);
    sqlite3_create_function_v2(d.db_, "CSNG", 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               csngFunction, nullptr, nullptr, nullptr);
    sqlite3_create_module_v2(d.db_, "vel_rows", &kRowsModule, nullptr, nullptr);
    return d;
}

Database Database::Create(const std::string& path) {
    RefuseTooLong(path);
    std::error_code ec;
    if (path.empty() || std::filesystem::exists(path, ec))
        throw SqlError(SQLITE_CANTOPEN, "Database already exists: " + path);
    Database d = openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    d.execute("PRAGMA page_size=8192");
    d.execute("PRAGMA user_version=1");  // the first write makes the file
    return d;
}

namespace {
// The injected opening failure: the first failing opening (0: none) and the openings tried.
std::atomic<long> g_failingOpenFrom{0};
std::atomic<long> g_opensTried{0};
}  // namespace

long InjectOpenFailure(long n) {
    g_failingOpenFrom = n > 0 ? n : 0;
    return g_opensTried.exchange(0);
}

Database Database::openExisting(const std::string& path, int flags) {
    const long opening = ++g_opensTried;
    const long failingFrom = g_failingOpenFrom;
    if (failingFrom > 0 && opening >= failingFrom)
        throw SqlError(SQLITE_CANTOPEN, "unable to open database file: " + path);
    RefuseTooLong(path);
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        throw SqlError(SQLITE_CANTOPEN, "Could not find file '" + path + "'.");
    Database d = openWith(path, flags);
    d.scalar("SELECT count(*) FROM sqlite_schema");  // refuses a file of another kind
    return d;
}

Database Database::Open(const std::string& path) {
    Database d = openExisting(path, SQLITE_OPEN_READWRITE);
    if (!sqlite3_db_readonly(d.db_, "main")) d.ensureSingleRounding();
    return d;
}

Database Database::OpenReadOnly(const std::string& path) {
    return openExisting(path, SQLITE_OPEN_READONLY);
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      path_(std::move(other.path_)),
      folder_(std::exchange(other.folder_, -1)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        folder_ = std::exchange(other.folder_, -1);
    }
    return *this;
}

Database::~Database() {
    close();
}

void Database::close() {
    if (db_) {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    if (folder_ >= 0) {
        ::close(folder_);
        folder_ = -1;
    }
}

void Database::useBuildSettings() {
    // Writes keep their full syncs: the database being rebuilt may be the user's only copy of
    // the history and its split events, and one transaction costs only a few syncs.
    execute("PRAGMA cache_size=-262144");
    execute("PRAGMA temp_store=MEMORY");
}

Statement Database::prepare(std::string_view sql) {
    if (!db_) throw SqlError(SQLITE_MISUSE, "Object invalid or no longer set.");
    return Statement(db_, sql);
}

void Database::execute(std::string_view sql, std::initializer_list<DbValue> values) {
    Statement s = prepare(sql);
    s.bindAll(values);
    s.run();
    const std::string k = firstKeyword(sql);
    if (k == "CREATE" || k == "ALTER") {
        s = Statement();
        ensureSingleRounding();
    }
}

DbValue Database::scalar(std::string_view sql, std::initializer_list<DbValue> values) {
    Statement s = prepare(sql);
    s.bindAll(values);
    if (!s.step() || s.columnCount() < 1) return DbValue();
    return s.get(0);
}

void Database::selectInto(const std::string& table, std::string_view select,
                          std::initializer_list<DbValue> values,
                          const std::map<std::string, DbType>& exprTypes) {
    if (tableExists(table)) throw SqlError(SQLITE_ERROR, "table " + table + " already exists");
    std::string create = "CREATE TABLE " + QuoteIdentifier(table) + " (";
    std::string picks;
    bool wrap = false;
    {
        Statement s = prepare(select);
        const int n = s.columnCount();
        if (n < 1) throw SqlError(SQLITE_ERROR, "a make-table select needs result columns");
        for (int i = 0; i < n; ++i) {
            const std::string name = s.columnName(i);
            const char* decl = sqlite3_column_decltype(s.handle(), i);
            const DbType source = decl ? DbTypeFromDeclared(decl) : DbType::Other;
            std::string declared;
            DbType type;
            if (auto it = exprTypes.find(name); it != exprTypes.end()) {
                type = it->second;
                declared = DbTypeName(type);
            } else if (decl) {
                declared = decl;
                type = source;
            } else {
                throw SqlError(SQLITE_ERROR, "no type for the result column " + name);
            }
            if (i) create += ", ";
            create += QuoteIdentifier(name);
            create += ' ';
            create += declared;
            // A SINGLE column filled from another SINGLE column holds rounded values already.
            const bool round = type == DbType::Single && source != DbType::Single;
            wrap = wrap || round;
            if (i) picks += ", ";
            if (round) {
                picks += "CSNG(";
                picks += QuoteIdentifier(name);
                picks += ')';
            } else {
                picks += QuoteIdentifier(name);
            }
        }
    }
    create += ")";
    {
        Statement c = prepare(create);
        c.run();
    }
    std::string insert = "INSERT INTO " + QuoteIdentifier(table) + " ";
    if (wrap)
        insert += "SELECT " + picks + " FROM (" + std::string(select) + ")";
    else
        insert += std::string(select);
    {
        Statement ins = prepare(insert);
        ins.bindAll(values);
        ins.run();
    }
    ensureSingleRounding();
}

std::int64_t Database::insertRows(const std::string& table, int columns, RowSource& source) {
    if (columns < 1 || columns > kRowColumns)
        throw SqlError(SQLITE_ERROR, "a bulk insert takes 1 to 64 columns");
    std::string sql = "INSERT INTO " + QuoteIdentifier(table) + " SELECT ";
    for (int i = 0; i < columns; ++i) {
        sql += i ? ", c" : "c";
        sql += std::to_string(i);
    }
    sql += " FROM vel_rows(?1)";
    Statement insert = prepare(sql);
    RowFeed feed{&source, nullptr};
    sqlite3_bind_pointer(insert.handle(), 1, &feed, kRowSourcePointer, nullptr);
    try {
        insert.run();
    } catch (const SqlError&) {
        if (feed.error) std::rethrow_exception(feed.error);
        throw;
    }
    return changes();
}

bool Database::tableExists(std::string_view table) {
    Statement s = prepare(
        "SELECT 1 FROM sqlite_schema WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
    s.bindText(1, table);
    return s.step();
}

std::vector<DbColumn> Database::tableColumns(std::string_view table) {
    std::vector<DbColumn> cols;
    Statement s = prepare("SELECT name, type FROM pragma_table_info(?1) ORDER BY cid");
    s.bindText(1, table);
    while (s.step()) {
        DbColumn c;
        c.name = s.getText(0);
        c.declared = s.getText(1);
        c.type = DbTypeFromDeclared(c.declared);
        cols.push_back(std::move(c));
    }
    return cols;
}

std::int64_t Database::changes() const {
    return db_ ? sqlite3_changes64(db_) : 0;
}

void Database::begin() {
    execute("BEGIN");
}
void Database::commit() {
    execute("COMMIT");
}
void Database::rollback() {
    if (db_ && !sqlite3_get_autocommit(db_)) execute("ROLLBACK");
}
bool Database::inTransaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}

std::string Database::SingleTriggerName(const std::string& table, const std::string& column,
                                        bool insert) {
    return "vel_single_" + table + "_" + column + (insert ? "_ins" : "_upd");
}

void Database::ensureSingleRounding() {
    std::vector<std::pair<std::string, bool>> tables;  // name, without rowid
    {
        Statement s = prepare(
            "SELECT name, wr FROM pragma_table_list WHERE schema='main' AND type='table' "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        while (s.step()) tables.emplace_back(s.getText(0), s.getInteger(1) != 0);
    }
    std::set<std::string> triggers;
    {
        Statement s = prepare("SELECT name FROM sqlite_schema WHERE type='trigger'");
        while (s.step()) triggers.insert(s.getText(0));
    }
    for (const auto& [t, withoutRowid] : tables) {
        const auto columns = tableColumns(t);
        // How a trigger finds the row it rounds: its rowid, or its primary key.
        std::string where;
        if (!withoutRowid) {
            where = "rowid = NEW.rowid";
        } else {
            Statement pk =
                prepare("SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk");
            pk.bindText(1, t);
            while (pk.step()) {
                const std::string q = QuoteIdentifier(pk.getText(0));
                if (!where.empty()) where += " AND ";
                where += q + " = NEW." + q;
            }
        }
        for (const auto& c : columns) {
            if (c.type != DbType::Single) continue;
            const std::string qt = QuoteIdentifier(t), qc = QuoteIdentifier(c.name);
            const std::string body = " WHEN NEW." + qc + " IS NOT CSNG(NEW." + qc +
                                     ") BEGIN UPDATE " + qt + " SET " + qc + " = CSNG(NEW." + qc +
                                     ") WHERE " + where + "; END";
            const std::string ins = SingleTriggerName(t, c.name, true);
            const std::string upd = SingleTriggerName(t, c.name, false);
            if (!triggers.count(ins))
                prepare("CREATE TRIGGER " + QuoteIdentifier(ins) + " AFTER INSERT ON " + qt + body)
                    .run();
            if (!triggers.count(upd))
                prepare("CREATE TRIGGER " + QuoteIdentifier(upd) + " AFTER UPDATE OF " + qc +
                        " ON " + qt + body)
                    .run();
        }
    }
}

}  // namespace vel
