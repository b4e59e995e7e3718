// Fill files that an earlier run left behind, when it was killed, the power
// went or the stick was pulled out: the next run takes them away first.
#ifndef TESSARINE_ENGINE_LEFTOVERS_H
#define TESSARINE_ENGINE_LEFTOVERS_H

// Looks in every folder of the drive at rootPath ("e:\") for the files a run
// makes (LeftoverOf: their names and sizes) that hold nothing but zero bytes
// (read through in buffer, of kWriteBufferSize bytes, left all zeros
// again). Each is deleted. A file in use, by another
// instance cleaning the same drive, is left alone; links are not followed.
// False when the run was stopped meanwhile.
bool ClearLeftovers(const char* rootPath, char* buffer);

#endif
