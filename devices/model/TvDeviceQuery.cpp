#include "TvDeviceQuery.h"

#include <atomic>

namespace {
std::atomic<TvDeviceQuery*> g_query{nullptr};
}

TvDeviceQuery* TvDeviceQuery::installed() {
    return g_query.load(std::memory_order_acquire);
}

void TvDeviceQuery::install(TvDeviceQuery* query) {
    g_query.store(query, std::memory_order_release);
}
