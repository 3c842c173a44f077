#include "code_page_validator.h"

#include "shell/text_codec.h"

namespace kelvaron {

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    return FitsCp1251(input) ? Acceptable : Invalid;
}

}  // namespace kelvaron
