#include "JetFunctions.h"

#include "DbError.h"
#include "EngineError.h"
#include "JetPattern.h"

#include <memory>
#include <new>
#include <sqlite3.h>

namespace vemtaro::db {

namespace {

/// The type name of a compiled pattern passed as a pointer value.
constexpr char patternPointerType[] = "vemtaro_jet_pattern";

void deletePattern(void* pattern)
{
    delete static_cast<JetPattern*>(pattern);
}

void jetLike(sqlite3_context* context, int, sqlite3_value** arguments)
{
    sqlite3_value* const patternValue = arguments[0];
    sqlite3_value* const value = arguments[1];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // A pattern compiled beforehand is the common case, and the cheapest to look up.
    const auto* pattern =
        static_cast<const JetPattern*>(sqlite3_value_pointer(patternValue, patternPointerType));
    if (!pattern)
        pattern = static_cast<const JetPattern*>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<JetPattern> compiled;
    if (!pattern) {
        if (sqlite3_value_type(patternValue) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(patternValue));
        const int size = sqlite3_value_bytes(patternValue);
        try {
            compiled = std::make_unique<JetPattern>(std::string_view(text ? text : "", size));
        } catch (const DbError& error) {
            sqlite3_result_error(context, error.description().toUtf8().constData(), -1);
            return;
        } catch (const std::bad_alloc&) {
            sqlite3_result_error_nomem(context);
            return;
        }
        pattern = compiled.get();
    }
    bool matched = true;
    if (!pattern->matchesAnyText()) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const int size = sqlite3_value_bytes(value);
        matched = pattern->matches(std::string_view(text ? text : "", size));
    }
    sqlite3_result_int(context, matched ? 1 : 0);
    // Last, as the engine may drop the pattern at once when the argument is not constant.
    if (compiled)
        sqlite3_set_auxdata(context, 0, compiled.release(), &deletePattern);
}

} // namespace

void registerJetFunctions(sqlite3* db)
{
    if (sqlite3_create_function_v2(db, "jet_like", 2,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   &jetLike, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DbError(QStringLiteral("No se pueden preparar las funciones de búsqueda: %1.")
                          .arg(engineReason(sqlite3_errcode(db))));
}

void bindJetPattern(sqlite3_stmt* statement, int index, const JetPattern& pattern)
{
    // The engine only passes the pointer along; it never writes through it.
    sqlite3_bind_pointer(statement, index, const_cast<JetPattern*>(&pattern), patternPointerType,
                         nullptr);
}

} // namespace vemtaro::db
