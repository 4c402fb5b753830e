#pragma once

#include <QString>

namespace orvix {

// The hidden browser the page worker loads listing pages in: their thumbnails are built by
// script, so plain HTTP does not see them. The desktop program implements it on the embedded
// browser's engine (browser/hidden_page_loader.h); tests and headless hosts may supply
// their own.
//
// Both calls belong to the thread that owns the loader (the main thread). A worker reaches
// them through its synchronised calls:
//     Navigate3(url); ... let the page load and run its scripts (10 s) ...; ReadDocument()
// Neither call blocks on the network.
class IPageLoader
{
public:
    virtual ~IPageLoader() = default;

    // Starts loading url and returns at once; a load still running is abandoned.
    virtual void Navigate3(const QString &url) = 0;

    // The document serialisation of the page loaded by the last Navigate3, as it stands now
    // (scripts included; the legacy upper-case form for a page in quirks mode, like the
    // embedded browser's). Empty text while nothing of that page has been read yet.
    virtual QString ReadDocument() = 0;
};

} // namespace orvix
