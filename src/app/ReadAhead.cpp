#include "app/ReadAhead.h"

#include <QThread>

#include <fontconfig/fontconfig.h>

// Qt takes the first thread that asks for its thread data for the main thread; the job makes
// Qt objects, so this thread asks first.
ReadAhead::ReadAhead(std::function<void()> job) {
    QThread::currentThread();
    thread_ = std::thread([job = std::move(job)] {
        job();
        FcInit();
    });
}

ReadAhead::~ReadAhead() {
    thread_.join();
}
