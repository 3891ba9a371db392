// The code text of the execute-code command: one execution's state and error reporting,
// the keyword tables, and the words of a text without parentheses turned into tokens
// (numbers, operators, and references to a status, a variable or a system value).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class cChara;

// One execution of a code text for a character.
struct ExprRun {
    cChara& chara;
    std::string_view code;  // the whole text, quoted by the division message
    int depth = 0;          // nesting of parentheses and function calls
};

// The one error flag of the language: cleared at the start of every execution and set by
// every error.
bool ExprErrorSet();
void ClearExprError();
// An error without a box (a target slot that is empty).
void FailExpr();
// An error box of the language: format takes exactly one %s, which receives the user's
// text cut to a bounded length (never as the format). Sets the error flag.
void ExprError(const char* format, std::string_view userText);
// The bounds report of an index the code text named outside its table ("err V[...]" on
// the report and trace files, without closing the game), then the error box that names
// the variable (or, with `object`, the object). Sets the error flag.
void ExprBadIndex(std::string_view word, int index, int size, int elementSize, bool object = false);

// Operators and their levels: "*" "/" "%" bind tightest (0), then "+" "-" (1), then "=" (2).
enum ExprOp : int32_t { kOpAssign = 0, kOpAdd, kOpSub, kOpMul, kOpDiv, kOpMod };
int ExprOpLevel(int32_t op);

// The assignable things a word can name.
enum class ExprRefKind : uint8_t { kStatus, kCommonVar, kStageVar, kSystem };
// Character statuses in the order of their names: v1..v8, then these.
enum ExprStatus : int32_t {
    kStatusHP = 8,
    kStatusSP,
    kStatusMaxHP,
    kStatusMaxSP,
    kStatusCharaId,
    kStatusZ,
    kStatusMark,
    kStatusSight,
    kStatusPower,
    kStatusImpact,
    kStatusDefence,
    kStatusImpactResist,
    kStatusStop,
    kStatusScore,
    kStatusCount
};
// System values in the order of their names.
enum ExprSystem : int32_t { kSysTime = 0, kSysScrollX, kSysScrollY, kSysScore, kSysLives };

enum class ExprTokKind : uint8_t { kNumber = 0, kRef = 2, kOperator = 4 };

struct ExprToken {
    ExprTokKind kind = ExprTokKind::kNumber;
    // The number, the reference's value when the text was read, or the operator.
    int32_t value = 0;
    ExprRefKind ref = ExprRefKind::kStatus;
    int32_t index = 0;        // status, system value or variable number
    cChara* chara = nullptr;  // whose status
    int32_t low = -999999;    // what an assignment clamps to
    int32_t high = 999999;
    std::string_view word;  // as written, for messages
};

// A decimal number as C's atoi reads it (leading spaces, a sign, digits up to the first
// other character), saturating at the 32-bit range instead of overflowing.
int32_t ReadDecimal(std::string_view text);

// The tokens of a text without parentheses, resolved for the run's character. False with
// the error flag set when a word names an unknown object, an empty target, a status of
// the system, or an index outside its table.
bool TokenizeExpr(ExprRun& run, std::string_view text, std::vector<ExprToken>& out);
