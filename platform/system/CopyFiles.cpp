#include "platform/system/CopyFiles.h"

namespace qs {

std::u16string MakeLongFormPath(const std::u16string& full) {
    if (full.rfind(u"\\\\?\\", 0) == 0 || full.rfind(u"\\\\.\\", 0) == 0)
        return full;
    if (full.rfind(u"\\\\", 0) == 0)
        return u"\\\\?\\UNC\\" + full.substr(2);
    return u"\\\\?\\" + full;
}

}  // namespace qs
