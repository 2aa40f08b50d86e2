#include "search_conditions.h"

SearchConditions& TheSearchConditions() {
    static SearchConditions conditions = [] {
        SearchConditions c;
        c.options = LoadSearchOptions();
        return c;
    }();
    return conditions;
}
