// The outer level of the code text: parentheses and function calls are resolved from the
// inside out and replaced by their decimal values, and what remains is evaluated.
#pragma once

#include <cstdint>

#include "flow/expr_lexer.h"

// Parentheses and calls nested deeper than this many levels are an error rather than a
// deeper stack.
constexpr int kMaxExprDepth = 256;

// The value of the run's whole code text; 0 with the error flag set when it fails. Every
// bracket's partner is found once, in one pass over the text, so a long text costs its
// length however deep it nests.
int32_t ParseCode(ExprRun& run);
