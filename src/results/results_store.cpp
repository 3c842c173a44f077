#include "results/results_store.h"

namespace kelvaron {

Validity ValidityOf(TestKind kind, int32_t code) {
    switch (code) {
        case 0:
            return Validity::Valid;
        case 1:
            return kind == TestKind::FreeAccel ? Validity::DecreasingSequence
                                               : Validity::ZoneExceeded;
        case 2:
            return kind == TestKind::FreeAccel ? Validity::ZoneExceeded : Validity::Unknown;
        default:
            return Validity::Unknown;
    }
}

QString InvalidResultText(Validity validity) {
    switch (validity) {
        case Validity::DecreasingSequence:
            return QStringLiteral("  Результат недействителен,убывающая последовательность  ");
        case Validity::ZoneExceeded:
            return QStringLiteral("  Результат недействителен,превышение зоны  ");
        case Validity::Valid:
        case Validity::Unknown:
            break;
    }
    return {};
}

}  // namespace kelvaron
