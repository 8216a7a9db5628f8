#pragma once
// The program's own record store: the registry of the current user on Windows
// (HKEY_CURRENT_USER\Software\qel\Vantrisco), the QSettings file of the program elsewhere.
// Which one is chosen when the program is built.
#include "BinaryRecordStore.h"

#include <memory>

std::unique_ptr<BinaryRecordStore> createNativeRecordStore();
