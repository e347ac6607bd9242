// The product's backend: the machine's own volumes.
#include "platform/system/SystemVolumeQueries.h"

namespace qs {

std::unique_ptr<VolumeQueries> CreateVolumeQueries() {
    return CreateSystemVolumeQueries();
}

}  // namespace qs
