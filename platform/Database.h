// The program's database engine: SQLite through its C API, with the column types DOUBLE,
// SINGLE, INTEGER, TEXT and DATE (dates as ISO text "YYYY-MM-DD"), make-table selects that
// keep the declared column types, recordsets read row by row, tables appended row by row, and
// transactions that roll back on error. Every value reaches SQL through a bound parameter.
//
// SINGLE columns hold single-precision values: whatever writes one (an appended row, an
// INSERT or UPDATE statement, a make-table select) stores the value rounded to float. The
// rounding is done by the SQL function CSNG(x), which every connection of this layer
// registers, and by triggers that the layer keeps on every SINGLE column.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vel {

// An error reported by the engine: its result code and its text.
class SqlError : public DatabaseError {
public:
    SqlError(int code, const std::string& message) : DatabaseError(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The declared column types the program uses; Other for any other declaration.
enum class DbType { Double, Single, Integer, Text, Date, Other };

// The type of a declared type name (case-insensitive: "DOUBLE", "Single", "integer", ...).
DbType DbTypeFromDeclared(std::string_view declared);
// The declaration of a type: "DOUBLE", "SINGLE", "INTEGER", "TEXT", "DATE" ("" for Other).
const char* DbTypeName(DbType type);

// A value bound to a statement or read from a row: null, a whole number, a double or text.
class DbValue {
public:
    DbValue() = default;
    DbValue(int v) : v_(static_cast<std::int64_t>(v)) {}
    DbValue(long v) : v_(static_cast<std::int64_t>(v)) {}
    DbValue(long long v) : v_(static_cast<std::int64_t>(v)) {}
    DbValue(float v) : v_(static_cast<double>(v)) {}
    DbValue(double v) : v_(v) {}
    DbValue(const char* v) : v_(std::string(v)) {}
    DbValue(std::string v) : v_(std::move(v)) {}
    DbValue(std::string_view v) : v_(std::string(v)) {}

    bool isNull() const { return v_.index() == 0; }
    bool isInteger() const { return v_.index() == 1; }
    bool isDouble() const { return v_.index() == 2; }
    bool isText() const { return v_.index() == 3; }
    // Numeric value (text is read as a number where it is one, else 0; null is 0).
    double toDouble() const;
    std::int64_t toInteger() const;
    // Text of the value ("" for null; numbers in the engine's own text layout, reals with 15
    // significant digits rounded to nearest: "100.0", "0.1", "1.5e-07").
    std::string toText() const;

    const std::variant<std::monostate, std::int64_t, double, std::string>& raw() const {
        return v_;
    }

private:
    std::variant<std::monostate, std::int64_t, double, std::string> v_;
};

// A prepared statement, also used as a recordset read row by row: step() moves to the next
// row. Owned by the caller; it must not outlive its Database.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Binds parameter i (from 1). Text given to bindTextStatic must stay unchanged until the
    // statement is stepped or reset; the other binds copy what they need.
    void bind(int i, const DbValue& value);
    void bindNull(int i);
    void bindInteger(int i, std::int64_t v);
    void bindDouble(int i, double v);
    void bindText(int i, std::string_view v);
    void bindTextStatic(int i, std::string_view v);
    // Binds the values to parameters 1, 2, ... in order.
    void bindAll(std::initializer_list<DbValue> values);

    // Runs the statement to its next row: true when a row is there, false when done.
    // SqlError on failure (the statement is then reset).
    bool step();
    // Runs the statement to its end (for statements that return no rows).
    void run();
    // Makes the statement ready to run again; bindings stay.
    void reset();

    int columnCount() const;
    std::string columnName(int i) const;  // i from 0
    // Index of the result column with that name (case-insensitive); SqlError when missing.
    int columnIndex(std::string_view name) const;
    // The declared type of result column i when it is a plain column reference, else Other.
    DbType columnDeclaredType(int i) const;

    // Values of the current row's column i (from 0). Null reads as 0 / "".
    bool isNull(int i) const;
    // True when the value of column i is stored as a number (whole or floating).
    bool isNumeric(int i) const;
    // True when the value of column i is stored as text.
    bool isText(int i) const;
    double getDouble(int i) const;
    std::int64_t getInteger(int i) const;
    std::string getText(int i) const;
    // The text without a copy; valid until the next step, reset or read of the same column.
    std::string_view getTextView(int i) const;
    DbValue get(int i) const;
    // The same by column name.
    DbValue field(std::string_view name) const { return get(columnIndex(name)); }

    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database;

// One value handed to a bulk insert (Database::insertRows); each setter copies what it needs.
class RowValue {
public:
    explicit RowValue(void* context) : context_(context) {}
    void setNull();
    void setInteger(std::int64_t v);
    void setDouble(double v);
    void setText(std::string_view v);
    void set(const DbValue& v);

private:
    void* context_;
};

// The rows of a bulk insert, produced by the program: next() moves to the next row (false after
// the last one); value() gives column i (from 0) of the current row. An exception thrown by
// either ends the insert, which then changes nothing, and reaches the caller of insertRows.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual bool next() = 0;
    virtual void value(int column, RowValue& out) = 0;
};

// Appends rows to one table, as a table-type recordset does with AddNew and Update: addNew()
// starts a row with every field null, set...() fills fields, update() writes the row. SINGLE
// fields are rounded to float when set. While an appender is open it does the rounding of its
// table's inserts itself (the insert triggers of the table are set aside and put back when it
// is destroyed), so other inserts into that table must wait until it is gone. It must not
// outlive, nor see moved, its Database.
class TableAppender {
public:
    TableAppender(Database& db, const std::string& table);
    ~TableAppender();
    TableAppender(const TableAppender&) = delete;
    TableAppender& operator=(const TableAppender&) = delete;
    void addNew();
    // Field index (from 0) of a column of the table; SqlError when missing.
    int fieldIndex(std::string_view name) const;
    DbType fieldType(int field) const { return types_[static_cast<size_t>(field)]; }
    void set(int field, const DbValue& value);
    void set(std::string_view name, const DbValue& value) { set(fieldIndex(name), value); }
    void setDouble(int field, double v);
    void setInteger(int field, std::int64_t v);
    // The text must stay unchanged until update().
    void setTextStatic(int field, std::string_view v);
    void update();

private:
    Database* db_;
    bool triggersSetAside_ = false;
    Statement insert_;
    std::vector<std::string> names_;
    std::vector<DbType> types_;
};

// A column of a table: its name and declared type.
struct DbColumn {
    std::string name;
    std::string declared;
    DbType type = DbType::Other;
};

// One connection to one database file. Closed when destroyed; an open transaction is then
// rolled back.
class Database {
public:
    // Creates a new, empty database file; SqlError when the file already exists or cannot be
    // made (the folder must exist). Every path the system takes can be used, however long.
    static Database Create(const std::string& path);
    // Opens an existing database; never creates one. SqlError when the file is missing or is
    // not a database of this engine.
    static Database Open(const std::string& path);
    // The same for reading only: nothing is written, not even the rounding triggers. A
    // connection of its own may be used on another thread.
    static Database OpenReadOnly(const std::string& path);

    Database() = default;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    bool isOpen() const { return db_ != nullptr; }
    // Closes the connection (rolling back an open transaction); a closed database stays closed.
    void close();
    const std::string& path() const { return path_; }

    // Settings for a database that is being built or bulk-loaded: a large page cache and sorts
    // in memory. Commits still wait for the disk, so a crash of the machine leaves the database
    // as it was before the build's transaction.
    void useBuildSettings();

    // Prepares one statement.
    Statement prepare(std::string_view sql);
    // Runs one statement with its values bound to ?1, ?2, ... in order. After a CREATE TABLE
    // or ALTER TABLE the rounding of new SINGLE columns is set up.
    void execute(std::string_view sql, std::initializer_list<DbValue> values = {});
    // The first column of the first row of a query (null when there is no row).
    DbValue scalar(std::string_view sql, std::initializer_list<DbValue> values = {});

    // Make-table select: creates table `table` with the result columns of `select` and fills
    // it with the rows in the select's order. A result column named in `exprTypes` takes that
    // type; any other result column must be a plain column reference and keeps its declared
    // type; a result column with neither raises SqlError before anything is made. SqlError
    // also when the table exists.
    void selectInto(const std::string& table, std::string_view select,
                    std::initializer_list<DbValue> values = {},
                    const std::map<std::string, DbType>& exprTypes = {});

    // Inserts every row of the source into the table's first `columns` columns (in their
    // order) in one statement, as "INSERT INTO table SELECT ...": much faster than appending
    // row by row, above all into a table kept in the order of its key when the rows come in
    // that order. The table's triggers fire as for any insert. At most 64 columns. Returns the
    // number of rows inserted; SqlError, or the source's own exception, when it fails.
    std::int64_t insertRows(const std::string& table, int columns, RowSource& source);

    bool tableExists(std::string_view table);
    // The columns of a table in their order (empty when the table does not exist).
    std::vector<DbColumn> tableColumns(std::string_view table);
    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;

    // Transactions. begin() fails inside a transaction; commit() and rollback() end it.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    // A transaction rolled back when the guard is left without commit() (an exception).
    class Transaction {
    public:
        explicit Transaction(Database& db) : db_(db) { db_.begin(); }
        ~Transaction() {
            if (!done_) {
                try {
                    db_.rollback();
                } catch (...) {
                }
            }
        }
        void commit() {
            db_.commit();
            done_ = true;
        }
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Database& db_;
        bool done_ = false;
    };

    sqlite3* handle() const { return db_; }

    // Sets up the rounding triggers of every SINGLE column that lacks them (a table without
    // rowid finds its rows by its primary key).
    void ensureSingleRounding();
    // The name of the insert or update rounding trigger of a column.
    static std::string SingleTriggerName(const std::string& table, const std::string& column,
                                         bool insert);

private:
    // Opens the file by its path, or, where the engine cannot take the path (it has a limit of
    // its own, far below the system's), by a short name through a descriptor of its folder.
    // SqlError when it cannot be opened, also (saying so) when the path is too long for that.
    static Database openWith(const std::string& path, int flags);
    // An existing database file of this engine; SqlError otherwise.
    static Database openExisting(const std::string& path, int flags);

    sqlite3* db_ = nullptr;
    std::string path_;
    int folder_ = -1;  // the descriptor of the folder that a short name goes through, or -1
};

// Fault injection for tests: the n-th statement step from now on (1: the next one) fails with
// a disk I/O error, as a failing disk would make it; 0 switches the injection off. A step that
// failed switches it off too. Returns how many steps the previous injection still had to go
// (0 when its failure came or there was none).
long InjectStepFailure(long n);

// Fault injection for tests: from the n-th opening of an existing database on (1: the next
// one), every opening fails as an unreadable file would, on any thread, until n = 0 switches
// the injection off. Returns how many openings were tried since the previous call.
long InjectOpenFailure(long n);

// Quotes a name for use as an identifier in SQL text ("a""b").
std::string QuoteIdentifier(std::string_view name);

}  // namespace vel
