#include "play/statistics.h"

void computeStatistics(KVR_PlayData& store) {
    store.Stats() = PlayStatistics{};
}
