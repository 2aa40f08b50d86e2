#include "search_conditions.h"

SearchConditions& TheSearchConditions() {
    static SearchConditions conditions{};
    return conditions;
}
