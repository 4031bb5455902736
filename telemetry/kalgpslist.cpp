#include "telemetry/kalgpslist.h"

RmcInfoNode* kalGpsNewSampleNode(const RmcInfo& info)
{
    auto* node = static_cast<RmcInfoNode*>(std::malloc(sizeof(RmcInfoNode)));
    if (!node)
        return nullptr;
    node->next = nullptr;
    node->info = info;
    return node;
}

GpsSegment* kalGpsNewSegment(int64_t offset, uint32_t size)
{
    auto* node = static_cast<GpsSegment*>(std::malloc(sizeof(GpsSegment)));
    if (!node)
        return nullptr;
    node->next = nullptr;
    node->offset = offset;
    node->size = size;
    return node;
}
