#pragma once
// Outcomes of the data layer: errors are values, the window decides how to show them.

#include <QString>
#include <utility>

/// The outcome of an operation that returns nothing: empty error means success.
struct Status {
    QString error;

    static Status success() { return {}; }
    static Status failure(QString message) { return Status{std::move(message)}; }
    bool ok() const { return error.isEmpty(); }
};

/// A value, or the message telling why there is none.
template <typename T>
struct Result {
    T value{};
    QString error;

    static Result success(T v) { return Result{std::move(v), {}}; }
    static Result failure(QString message) { return Result{T{}, std::move(message)}; }
    bool ok() const { return error.isEmpty(); }
};
