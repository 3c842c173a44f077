#include "base/code_page_validator.h"

#include "base/text_codec.h"

namespace kelvaron {

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    return FitsCp1251(input) ? Acceptable : Invalid;
}

}  // namespace kelvaron
