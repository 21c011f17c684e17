// The error types that reach callers. Every operation that cannot complete raises one of
// these; whatever it wrote before the failing step stays in place.
#pragma once

#include <stdexcept>
#include <string>

namespace vel {

class VellicorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An index outside a table's or matrix's real bounds.
class SubscriptRangeError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

// A whole-number or single-precision result outside its range, or a double beyond its range.
class OverflowError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

class DivisionByZeroError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

// An argument outside the domain of a function (the square root of a negative number).
class InvalidArgumentError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

class FileError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

class DatabaseError : public VellicorError {
public:
    using VellicorError::VellicorError;
};

// A value that a step needs is missing (an average over no rows, an empty table's minimum).
class NullValueError : public DatabaseError {
public:
    NullValueError() : DatabaseError("Invalid use of Null") {}
};

}  // namespace vel
