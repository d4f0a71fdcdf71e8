#include "app/native_methods.h"

#include "engine/decryptor.h"

void NativeMethods::DecryptWrapper() { decryptor_.startRun(); }

void NativeMethods::StopDecryption() { decryptor_.requestStop(); }
