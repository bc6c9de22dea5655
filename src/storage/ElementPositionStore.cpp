#include "storage/ElementPositionStore.h"

#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

namespace melvanta {

void SaveElementPosition(int index, int left, int top, const QString& profilePath, RegistryStore& registry)
{
    ProfileFile profile(profilePath);
    const QString section = QStringLiteral("clocksite");
    profile.write(section, RegistryValue::pictureLeft(index), QString::number(left));
    profile.write(section, RegistryValue::pictureTop(index), QString::number(top));
    registry.putNumber(RegistryValue::pictureLeft(index), left);
    registry.putNumber(RegistryValue::pictureTop(index), top);
    registry.flush();
}

} // namespace melvanta
