#pragma once
#include <cstdint>

namespace varnel {

class Catalog;
class Prompt;

// Removes the later records of every folder path and name (ignoring case) that occurs more
// than once, keeping the first in stored order, and tells the user when it found any.
// Big lists are checked only now and then: from 50000 records one run in sixteen (by the
// clock, `nowSeconds`), from 1000000 records never. Returns the number of records removed.
int32_t checkDuplicates(Catalog& catalog, int list, Prompt& prompt, int64_t nowSeconds);

}  // namespace varnel
