#pragma once

// Pages about one picture: the picture page, its sizes pages and the confirmation page that a
// private picture shows until the visitor agrees to see it.

#include "html.h"

namespace orvix::photosite {

QString picturePage(const RenderContext &ctx, const Picture &picture);
// The sizes page showing sizes[shown]; every other size is a link to its own sizes page.
QString sizesPage(const RenderContext &ctx, const Picture &picture, int shown);
QString confirmationPage(const RenderContext &ctx, const Picture &picture, const QString &returnPath);

// The title as the program reads it from the picture page: without quotes, ";" and "'".
QString expectedImageName(const QString &title);

QString sizeLabel(char letter);

} // namespace orvix::photosite
