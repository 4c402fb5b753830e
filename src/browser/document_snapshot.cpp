#include "browser/document_snapshot.h"

#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace orvix {

namespace {

// The legacy form is what older engines gave for documents in quirks mode, and what the search
// results markers are written for: tag names upper-case, attribute names as parsed, values
// bare when they hold only letters, digits, "-", "_" and ".".
const char kSnapshotScript[] = R"JS(
(function (withHtml) {
  var root = withHtml ? document.documentElement : null;
  var quirks = document.compatMode === 'BackCompat';
  var html = '';
  if (root && !quirks) {
    html = root.innerHTML;
  } else if (root) {
    var VOID = {AREA:1, BASE:1, BASEFONT:1, BGSOUND:1, BR:1, COL:1, EMBED:1, FRAME:1, HR:1, IMG:1,
                INPUT:1, KEYGEN:1, LINK:1, META:1, PARAM:1, SOURCE:1, TRACK:1, WBR:1};
    var RAW = {SCRIPT:1, STYLE:1, XMP:1, IFRAME:1, NOEMBED:1, NOFRAMES:1, PLAINTEXT:1, NOSCRIPT:1};
    var simple = /^[A-Za-z0-9_.\-]+$/;
    var attrValue = function (v) {
      if (simple.test(v)) return v;
      return '"' + v.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/\u00a0/g, '&nbsp;') + '"';
    };
    var text = function (v) {
      return v.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
              .replace(/\u00a0/g, '&nbsp;');
    };
    var out = [];
    var children = function (node, raw) {
      for (var c = node.firstChild; c; c = c.nextSibling) one(c, raw);
    };
    var one = function (n, raw) {
      if (n.nodeType === 1) {
        var tag = n.tagName.toUpperCase();
        out.push('<' + tag);
        for (var i = 0; i < n.attributes.length; i++) {
          var a = n.attributes[i];
          out.push(' ' + a.name + '=' + attrValue(a.value));
        }
        out.push('>');
        if (VOID[tag]) return;
        children(tag === 'TEMPLATE' && n.content ? n.content : n, RAW[tag] === 1);
        out.push('</' + tag + '>');
      } else if (n.nodeType === 3) {
        out.push(raw ? n.data : text(n.data));
      } else if (n.nodeType === 8) {
        out.push('<!--' + n.data + '-->');
      }
    };
    children(root, false);
    html = out.join('');
  }
  return [performance.timeOrigin, String(location.href), quirks, html];
})(%1)
)JS";

} // namespace

void ReadDocumentSnapshot(QWebEnginePage *page, std::function<void(const DocumentSnapshot &)> done,
                          bool withHtml)
{
    const QString script = QString::fromUtf8(kSnapshotScript).arg(withHtml ? QStringLiteral("true") : QStringLiteral("false"));
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant &result) {
                            DocumentSnapshot s;
                            const QVariantList parts = result.toList();
                            if (parts.size() == 4) {
                                s.valid = true;
                                s.timeOrigin = parts.at(0).toDouble();
                                s.href = parts.at(1).toString();
                                s.quirks = parts.at(2).toBool();
                                s.html = parts.at(3).toString();
                            }
                            done(s);
                        });
}

} // namespace orvix
