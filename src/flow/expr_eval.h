// Evaluation of the code text and the execute-code command that runs it.
#pragma once

#include <cstdint>
#include <string_view>

#include "flow/expr_lexer.h"

class cChara;

// Runs one text for a character: assignments are made as they are met and stay when a
// later error stops the text; the running character's HP and SP gauges show what the
// text changed. False when an error was reported (the error flag is set).
bool ExecCode(std::string_view code, cChara& chara);

// The value of a text without parentheses: "*" "/" "%" first, then "+" "-", then "=",
// each level from the left. 0 with the error flag set when it fails.
int32_t EvalExpr(ExprRun& run, std::string_view text);
