// Descriptions of the editable numbers of every command type: name with unit and the
// range the editor allows. Arrange records change a command's number within them.
#pragma once

#include <vector>

#include "data/vocab_effects.h"

// One list per full command type 0..39 (an item command counts as its number + 15),
// indexed by parameter field number; types without editable numbers have empty lists.
// Filled before main and rebuilt by InitParamTables; read-only afterwards.
extern std::vector<std::vector<cParamRange>> g_ParamDesc;
void InitParamTables();
