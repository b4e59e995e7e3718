// Fill files that an earlier run left behind, when it was killed, the power
// went or the stick was pulled out: the next run takes them away first.
#ifndef TESSARINE_ENGINE_LEFTOVERS_H
#define TESSARINE_ENGINE_LEFTOVERS_H

// Looks in rootPath ("e:\") for files of the fill-file form and deletes each
// that holds nothing but zero bytes, read through in buffer (of
// kWriteBufferSize bytes, left all zeros again). A file in use, by another instance cleaning the
// same drive, is left alone. False when the run was stopped meanwhile.
bool ClearLeftovers(const char* rootPath, char* buffer);

#endif
