#include "EffectRandom.h"

#include <QRandomGenerator>

namespace effects {

int Random(int n) { return n > 0 ? int(QRandomGenerator::global()->bounded(n)) : 0; }

} // namespace effects
