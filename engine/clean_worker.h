// The worker thread: the tool's one job, from the start order to the
// deletion of the last fill file.
#ifndef TESSARINE_ENGINE_CLEAN_WORKER_H
#define TESSARINE_ENGINE_CLEAN_WORKER_H

enum JobOutcome {
    kJobSucceeded,
    kJobStopped,
    kJobFailed,        // free space left unwritten or unflushed, or a fill file left
    kJobMeasureFailed, // the drive's free space could not be read
};

// Thread entry. The argument is ignored.
unsigned __stdcall CleanWorker(void* unused);

// The job itself on gRunState.selectedDrive: measure, fill, report, delete.
// Uses gRunState.messageBuffer for every line and path.
JobOutcome RunCleaningJob();

#endif
