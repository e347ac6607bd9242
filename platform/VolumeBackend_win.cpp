// The product's backend: the machine's own volumes and the user's own shell.
#include "platform/ShellOpen.h"
#include "platform/SystemVolumeQueries.h"

namespace qs {

std::unique_ptr<VolumeQueries> CreateVolumeQueries() {
    return CreateSystemVolumeQueries();
}

void InstallShellBackend() {}

}  // namespace qs
