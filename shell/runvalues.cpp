#include "runvalues.h"

namespace quillet {

RunValues& Run() {
    static RunValues values;
    return values;
}

} // namespace quillet
