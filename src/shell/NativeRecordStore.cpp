// Where there is no registry the binary records live in the program's QSettings; the Windows
// build takes the registry store of zyl_settings instead.
#include "NativeRecordStore.h"

#include "QSettingsRecordStore.h"

std::unique_ptr<BinaryRecordStore> createNativeRecordStore() {
    return std::make_unique<QSettingsRecordStore>();
}
