#pragma once

// The bottom area of the main window (pcBottom): the session strip ("Session pictures", the
// pictures saved during this run) and the search strip ("All pictures", a library search), each
// a row of framed previews; the picture menu of the previews; the one selected and the one
// hovered frame of the program.

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QToolButton;
class QWidget;

namespace orvix {

class PictureDatabase;
class RunControl;
class TFrameX;
class TThumbnailMaker;
class TTabSheetX;
class TVarnelPageControlX;

struct TStrip
{
    QList<TFrameX *> FramesXAr; // in the order added
    int LastFrameX = 0;         // where the next frame goes, in the strip's coordinates
    QScrollArea *ScrollBox = nullptr;
    int PrevPosition = 0;       // from this scroll position on the strip counts as at its end
    QWidget *content = nullptr; // the row the frames sit on
};

// What the strips need from the window.
struct TPictureStripsHost
{
    RunControl *run = nullptr; // the previews are made on its registered threads
    std::function<QString()> picturesFolder; // made to exist
    std::function<bool()> cacheThumbnails;
    // Picture menu items that lead into the window.
    std::function<void(const QString &file)> editTags;
    std::function<void(const QString &file)> locateInOrvix;
};

class TPictureStrips : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFrameHeight = 150;
    static constexpr int kBottomHeight = 172;
    static constexpr int kSplitterHandle = 3;
    // A strip that holds more frames refuses (search) or starts again (session).
    static constexpr int kMaxFrames = 100;

    // pcBottom is made here and placed as the second widget of splitter1.
    TPictureStrips(QSplitter *splitter1, TPictureStripsHost host, QObject *parent);

    TVarnelPageControlX *pcBottom() const { return m_pcBottom; }
    TTabSheetX *tsSessionImages() const { return m_tsSession; }
    TTabSheetX *tsSearchImages() const { return m_tsSearch; }
    QToolButton *bClosePictureSearch() const { return m_bClose; }
    QMenu *popupImage() const { return m_popupImage; }
    const TStrip &sessionStrip() const { return m_session; }
    const TStrip &searchStrip() const { return m_search; }
    // The height the bottom area takes in the splitter (0 while no strip is in use).
    int bottomHeight() const;

    // stripId "session" or "search"; any other id does nothing and answers true. False when the
    // file is missing or the search strip is full.
    bool AddPictureFrame(const QString &stripId, const QString &fileName);
    void ClearStrip(const QString &stripId);
    void ShowBottomStrip();
    void bClosePictureSearchClick();
    // Fills the search strip with the library pictures whose path holds term (as typed),
    // letting the window handle its events between previews.
    void LibrarySearch(const PictureDatabase &db, const QString &term);

    // The selected frame's file (the picture menu acts on it).
    QString SelectedStripFile() const { return m_selectedFile; }
    void setSelectedStripFile(const QString &file) { m_selectedFile = file; }
    TFrameX *selectedFrame() const { return m_selected; }
    // Every frame of both strips showing oldPath now shows newPath with its tags.
    void FileRenamed(const QString &oldPath, const QString &newPath);
    // At close: the cache of the pictures folder is cut back to its newest thumbnails.
    static void TrimThumbnails(const QString &picturesFolder);
    // Previews still being prepared off the main thread.
    int thumbnailsPending() const;
    // At close: no more previews are made; waits only for the ones in hand.
    void StopThumbnails();

    // Picture menu (exposed for the tests and the window's shortcuts).
    void piOpenFrameClick();
    void piLocateInExplorerClick();
    void popupImagePopup();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TStrip *stripById(const QString &stripId);
    TTabSheetX *makeStripPage(const QString &caption, const QString &header, TStrip &strip, const QString &name);
    void setBottomHeight(int height);
    void layOutStrip(TStrip &strip);
    void placeCloseButton();
    void frameEntered(TFrameX *frame);
    void selectFrame(TFrameX *frame);
    static QString frameHint(const QString &fileName);
    int frameAreaHeight() const;

    TPictureStripsHost m_host;
    TThumbnailMaker *m_thumbnails;
    QSplitter *m_splitter;
    TVarnelPageControlX *m_pcBottom;
    TTabSheetX *m_tsSession = nullptr;
    TTabSheetX *m_tsSearch = nullptr;
    QLabel *m_sessionHeader = nullptr;
    QToolButton *m_bClose = nullptr;
    QMenu *m_popupImage = nullptr;
    QAction *m_piAddTag = nullptr;
    TStrip m_session;
    TStrip m_search;
    TFrameX *m_selected = nullptr;
    TFrameX *m_hovered = nullptr;
    QString m_selectedFile;
    quint64 m_searchGeneration = 0;
};

} // namespace orvix
