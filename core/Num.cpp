// Text of tagged numbers.
#include "Num.h"

#include "NumberText.h"

namespace vel {

std::string Num::toString() const {
    switch (kind_) {
        case Kind::Whole:
            return std::to_string(w_);
        case Kind::Single:
            return formatSingle(f_);
        case Kind::Double:
            return formatDouble(d_);
        default:
            return std::string();
    }
}

}  // namespace vel
