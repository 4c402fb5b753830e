#include "page_numbering.h"

#include <functional>

#include "parse_reports.h"
#include "site.h"

#include "foundation/text.h"

#include <algorithm>
#include <array>

namespace orvix {

namespace {

struct PageStyle
{
    QStringView prefix;
    QStringView suffix;
};

// The four ways the site writes a page number into a link, in the order they are tried.
constexpr std::array<PageStyle, 4> pageStyles{{
    {u"/page", u"/"}, {u"?page=", u""}, {u"&page=", u""}, {u";page=", u""}}};

// A menu with more pages than this would only freeze the window; the number comes from the page.
constexpr int maxGotoPageItems = 10000;

constexpr int paginatorWindow = 3000;

// The legacy serialisation written in the site's own form, in this order. A browser keeps the
// attributes in the page's order, so the class of a link may come before or after its href.
constexpr std::array<std::pair<QStringView, QStringView>, 10> legacyForms{{
    {u"<DIV class=Paginator>", u"<div class=\"Paginator\">"},
    {u" class=Prev ", u" class=\"Prev\" "},
    {u" class=Next ", u" class=\"Next\" "},
    {u" class=Prev>", u" class=\"Prev\">"},
    {u" class=Next>", u" class=\"Next\">"},
    {u"<SPAN class=this-page>", u"<span class=\"this-page\">"},
    {u"</DIV>", u"</div>"},
    {u"<DIV class=Results>", u"<div class=\"Results\">"},
    {u"</A>", u"</a>"},
    {u"<A href", u"<a href"}}};

// The paginator: at most 3000 characters from its first tag, in the site's form. Only that window
// is converted: the conversions never shorten the text, so converting a slightly longer slice of
// the original and cutting it gives the same window as converting the whole page.
QString paginatorText(QStringView text)
{
    const qsizetype site = text.indexOf(u"<div class=\"Paginator\">");
    const qsizetype legacy = text.indexOf(legacyForms[0].first);
    qsizetype start = site < 0 ? legacy : (legacy < 0 ? site : std::min(site, legacy));
    if (start < 0)
        return {};
    QString w = text.mid(start, paginatorWindow + 32).toString();
    for (const auto &[from, to] : legacyForms)
        w = TextReplaceAll(w, from, to);
    w.truncate(paginatorWindow);
    return w;
}

// The number written by the digits of s; -1 when there are none or they do not fit.
int digitsNumber(QStringView s)
{
    qint64 n = 0;
    bool any = false;
    for (QChar ch : s) {
        if (ch < u'0' || ch > u'9')
            continue;
        any = true;
        n = n * 10 + (ch.unicode() - u'0');
        if (n > std::numeric_limits<qint32>::max())
            return -1;
    }
    return any ? int(n) : -1;
}

QString styled(const PageStyle &style, const QString &number)
{
    QString r = style.prefix.toString();
    r += number;
    r += style.suffix;
    return r;
}

QString linkAfter(QStringView s)
{
    return TextBefore(TextAfterView(s, u"href=\""), u"\"");
}

QString withSiteRoot(const QString &link)
{
    if (link.isEmpty() || TextContains(link, u"http"))
        return link;
    return SiteRoot() + (link.startsWith(u'/') ? QString() : QStringLiteral("/")) + link;
}

} // namespace

TPagingView CreatePageNextPrev(QStringView text, const QString &addressText,
                               const QString &currentUrl, TPageNumbering &state,
                               IParseReports &reports)
{
    TPagingView view;
    const QString w = paginatorText(text);
    if (w.isEmpty())
        return view;

    // Previous page.
    state.PrevPageUrl.clear();
    if (const int o = TextPos(w, u"class=\"Prev"); o > 0) {
        const int e = TextPos(w, u"</a>", o);
        if (e == 0)
            return view;
        state.PrevPageUrl = linkAfter(TextCopyView(w, 1, e));
        if (TextContains(w, u"class=\"Prev rapidnofollow\""))
            state.PrevPageUrl = linkAfter(TextAfterView(w, u"class=\"Prev rapidnofollow\""));
        if (state.PrevPageUrl.isEmpty())
            return view;
        view.PrevEnabled = true;
    }

    // Next page.
    state.NextPageUrl.clear();
    if (TextContains(w, u"class=\"Next")) {
        // The tag that carries the class is the last "<a " before it.
        QStringView tag = TextUpToView(w, u"class=\"Next");
        while (TextContains(tag, u"<a "))
            tag = TextAfterView(tag, u"<a ");
        QString link;
        if (TextContains(addressText, u"/search")) {
            // Search results write the class first; a browser's serialisation may not.
            link = linkAfter(TextBeforeView(TextAfterView(w, u"class=\"Next"), u"</a>"));
            if (link.isEmpty())
                link = linkAfter(tag);
        } else {
            link = linkAfter(tag);
        }
        if (TextContains(w, u"class=\"Next rapidnofollow\""))
            link = linkAfter(TextAfterView(w, u"class=\"Next rapidnofollow\""));
        if (link.isEmpty())
            return view;
        state.NextPageUrl = link;
        if (link == SiteRoot() + QStringLiteral("/search/page2/"))
            state.NextPageUrl = TextBefore(addressText, u"&page=") + QStringLiteral("&page=2");
        view.NextEnabled = true;
    }

    // Current page.
    if (const int b = TextPos(w, u"<span class=\"this-page\">"); b > 0) {
        QStringView s = TextCopyView(w, b, 1000);
        const int gt = TextPos(s, u">");
        if (gt == 0)
            return view;
        s = TextCopyView(s, gt, 100);
        const int lt = TextPos(s, u"<");
        if (lt == 0)
            return view;
        state.CurrentPageNo = digitsNumber(s.left(lt));
        view.CurrentPageText = QString::number(state.CurrentPageNo);
        if (view.PrevEnabled)
            view.PrevCaption = QStringLiteral("< ") + QString::number(qint64(state.CurrentPageNo) - 1);
        if (view.NextEnabled)
            view.NextCaption = QString::number(qint64(state.CurrentPageNo) + 1) + QStringLiteral(" >");
    }

    // Last page: the highest number among the paginator's links.
    state.LastPageNo = state.CurrentPageNo;
    if (const int end = TextPos(w, u"</div>"); end > 0) {
        QStringView s = TextCopyView(w, 1, end);
        for (int h = TextPos(s, u"href="); h > 0; h = TextPos(s, u"href=")) {
            s = TextCopyView(s, h, int(s.size()));
            const int gt = TextPos(s, u">");
            if (gt == 0)
                return view;
            s = TextCopyView(s, gt, int(s.size()));
            const int lt = TextPos(s, u"<");
            if (lt == 0)
                return view;
            state.LastPageNo = std::max(state.LastPageNo, digitsNumber(s.left(lt)));
        }
    }
    if (TextContainsNoCase(addressText, u"/search"))
        state.LastPageNo = 100;

    // Model link for the first and last page.
    QString m = view.NextEnabled ? state.NextPageUrl : state.PrevPageUrl;
    if (m.isEmpty())
        m = addressText;
    if (!TextContains(m, u"/page"))
        m.clear();
    for (const PageStyle &style : pageStyles) {
        if (!m.isEmpty())
            break;
        for (const QString *candidate : std::initializer_list<const QString *>{&state.NextPageUrl, &state.PrevPageUrl, &addressText}) {
            if (TextContains(*candidate, style.prefix)) {
                m = *candidate;
                break;
            }
        }
    }
    state.FirstPageUrl.clear();
    state.LastPageUrl.clear();
    if (!m.isEmpty()) {
        state.FirstPageUrl = ReplacePageNumber(m, state.CurrentPageNo, 1);
        state.LastPageUrl = ReplacePageNumber(m, state.CurrentPageNo, state.LastPageNo);
    }
    view.LastPageCaption = QStringLiteral("Goto Last page (%1)").arg(state.LastPageNo);

    if (const int d = TextPos(w, u"class=\"Results\""); d > 0) {
        const QStringView r = TextCopyView(w, d, 1000);
        const int gt = TextPos(r, u">");
        if (gt == 0 || TextPos(TextCopyView(r, gt, 100), u"<") == 0)
            return view;
    }

    const int items = std::min(state.LastPageNo, maxGotoPageItems);
    for (int n = 1; n <= items; ++n)
        view.GotoPageItems.append(n == state.CurrentPageNo ? QStringLiteral("> %1 <").arg(n)
                                                           : QString::number(n));
    view.SavePagesBeforeCaption = QStringLiteral("Save pages 1 to %1").arg(state.CurrentPageNo);
    view.SavePagesAfterCaption =
        QStringLiteral("Save pages %1 to %2").arg(state.CurrentPageNo).arg(state.LastPageNo);

    MakePageUrlTemplate(state, state.LastPageNo, currentUrl, reports);
    if (!state.PageUrlTemplate.isEmpty()) {
        view.PagesMenusEnabled = true;
        view.SubmitPageVisible = false;
    }
    return view;
}

namespace {

// Replaces the page numbers written in one style, each occurrence looked at once: a number
// counts only as a whole (so "page=1" is not found inside "page=12"), and replaced text is
// never searched again (so "page=9" -> "page=100" cannot then match "page=10").
QString replaceStyledNumbers(const QString &text, const PageStyle &style,
                             const std::function<QString(QStringView number)> &replacement)
{
    QString r;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(style.prefix, from);
        if (at < 0)
            break;
        const qsizetype digits = at + style.prefix.size();
        qsizetype end = digits;
        while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128)
            ++end;
        const bool whole = end > digits && QStringView(text).mid(end).startsWith(style.suffix);
        const QString to = whole ? replacement(QStringView(text).mid(digits, end - digits)) : QString();
        if (to.isNull()) {
            r += QStringView(text).mid(from, digits - from);
            from = digits;
            continue;
        }
        r += QStringView(text).mid(from, at - from);
        r += to;
        from = end + style.suffix.size();
    }
    r += QStringView(text).mid(from);
    return r;
}

} // namespace

QString ReplacePageNumber(const QString &url, int current, int target)
{
    QString r = url;
    for (const PageStyle &style : pageStyles) {
        const QString to = styled(style, QString::number(target));
        r = replaceStyledNumbers(r, style, [&](QStringView number) {
            bool ok = false;
            const qint64 n = number.toLongLong(&ok);
            return ok && n >= qint64(current) - 1 && n <= qint64(current) + 1 ? to : QString();
        });
    }
    return r;
}

void MakePageUrlTemplate(TPageNumbering &state, int lastPage, const QString &url,
                         IParseReports &reports)
{
    state.LastPageUrl = TextReplaceAll(state.LastPageUrl, u"&amp;", u"&");
    state.NextPageUrl = TextReplaceAll(state.NextPageUrl, u"&amp;", u"&");

    QString t = TextContains(state.LastPageUrl, u"page") ? state.LastPageUrl : state.NextPageUrl;
    const auto style = std::find_if(pageStyles.begin(), pageStyles.end(),
                                    [&](const PageStyle &s) { return TextContains(t, s.prefix); });
    if (style == pageStyles.end()) {
        t.clear();
        reports.message(QStringLiteral("unknown page type: url: ") + url);
    } else {
        const QString last = QString::number(lastPage);
        const QString placeholder = styled(*style, QStringLiteral("[PAGE_NO]"));
        t = replaceStyledNumbers(t, *style, [&](QStringView number) {
            return number == last ? placeholder : QString();
        });
    }
    // Page 1 links to page 2 through its next-page link.
    t = replaceStyledNumbers(t, pageStyles[3], [](QStringView number) {
        return number == u"2" ? QStringLiteral(";page=[PAGE_NO]") : QString();
    });
    state.PageUrlTemplate = TextReplaceAll(t, u"&amp;", u"&");
}

QString PageUrlForNumber(const TPageNumbering &state, int n)
{
    return withSiteRoot(TextReplaceAll(state.PageUrlTemplate, u"[PAGE_NO]", QString::number(n)));
}

QString NavigablePageUrl(QString &storedLink)
{
    storedLink = TextReplaceAll(storedLink, u"&amp;", u"&");
    return withSiteRoot(storedLink);
}

} // namespace orvix
