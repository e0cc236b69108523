#pragma once
#include <QString>
#include <atomic>

#include "core/app/UpdateCheck.h"

namespace kt90::gui {

// One HTTP GET of a page, on the calling thread (it runs a local event loop), with the
// platform's proxy settings. The body is taken whenever an HTTP status came back, 200 or
// not; a request without one gives its error text. A set `cancel` flag or the timeout
// aborts the request, and so does a reply that declares or sends more than `maxBytes`
// (tooLarge, no body).
PageFetch fetchPage(const QString& url, int timeoutMs, const std::atomic<bool>* cancel = nullptr,
                    std::size_t maxBytes = kUpdatePageMaxBytes);

}  // namespace kt90::gui
