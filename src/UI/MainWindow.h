#pragma once

#include "Common/MessageLog/LogListener.h"
#include "UI/TextureListCtrl.h"

#include <wx/frame.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class BackEnd;
class RenderPanel;
class STDFunctions;
class WTDFile;
struct SaveChangesEntry;
class wxGauge;
class wxImageList;
class wxListCtrl;
class wxListEvent;
class wxMenu;
class wxNotebook;
class wxSplitterEvent;
class wxSplitterWindow;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;

// The editor's only frame: menus, the texture and file lists, the render panel, the log pane and the
// status bar. It owns the back end and is the log's listener.
class MainWindow : public wxFrame, public LogListener
{
public:
    MainWindow(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
               const wxSize& size, long style);
    virtual ~MainWindow();

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void Init();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void CreateControls();
    void setupListColumns();
    bool isBackEndReady() const;
    // The back end, for the commands' tests; null after a failed start.
    BackEnd* getBackEnd() const { return m_backEnd.get(); }

    // Log pane.
    void information(const std::string& message) override;
    void warning(const std::string& message) override;
    void error(const std::string& message) override;
    void scrollLogToEnd();
    void setupImageLists();

    // Lifecycle.
    void startUp();
    void applySettings();
    void applyLayout();
    bool drawPreview();
    bool recoverLostDevice();
    bool reinitializeRenderPane();
    void resetWindow();
    void saveArchiveList();
    void reopenArchiveList();
    // Every window of the editor takes its icon from here.
    static wxIcon GetIconResource(const wxString& name);

    // Lists.
    void updateFileList();
    void updateTextureList();
    void refreshFileList();
    void refreshAfterOpen();
    void updateRecentFilesMenu();
    void formatToString(wxString& text, uint32_t format);
    void sortTexturesByColumn(int column);
    bool renameTexture(long row, const wxString& label);
    void selectAllTextures();
    void selectNoTextures();
    void invertTextureSelection();
    void selectAllFiles();
    void selectNoFiles();
    void invertFileSelection();

    // Commands whose dialogs come with their own windows.
    void newFile();
    void openFile();
    void closeFiles();
    void closeAllFiles();
    void saveFile();
    void saveFileAs();
    void reloadFile();
    void openRecentFile(int index);
    void addTextures();
    void extractTextures();
    void extractAllTextures();
    // The two forms of Extract: one texture under a chosen file name, several into a chosen folder.
    void extractSingleTexture();
    void extractMultipleTextures();
    void deleteTextures();
    void replaceTextures();
    void generateMipMaps();
    void showPreferences();
    // Offers to save unsaved changes before archives close: index -1 lists every modified archive in the
    // Save Changes dialog, any other index asks about that archive alone. False when the user canceled
    // (the close that asked must close nothing); kept receives the archives whose save failed, which
    // must stay open.
    bool checkSaveChanges(int index, std::vector<const WTDFile*>& kept);

    // Event handlers.
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnMenuNew(wxCommandEvent& event);
    void OnMenuOpen(wxCommandEvent& event);
    void OnMenuClose(wxCommandEvent& event);
    void OnMenuCloseAll(wxCommandEvent& event);
    void OnMenuSave(wxCommandEvent& event);
    void OnMenuSaveAs(wxCommandEvent& event);
    void OnMenuReload(wxCommandEvent& event);
    void OnMenuRecent1(wxCommandEvent& event);
    void OnMenuRecent2(wxCommandEvent& event);
    void OnMenuRecent3(wxCommandEvent& event);
    void OnMenuRecent4(wxCommandEvent& event);
    void OnMenuRecent5(wxCommandEvent& event);
    void OnMenuExit(wxCommandEvent& event);
    void OnMenuSelectAllTextures(wxCommandEvent& event);
    void OnMenuSelectNoTextures(wxCommandEvent& event);
    void OnMenuInvertTextureSelection(wxCommandEvent& event);
    void OnMenuSelectAllFiles(wxCommandEvent& event);
    void OnMenuSelectNoFiles(wxCommandEvent& event);
    void OnMenuInvertFileSelection(wxCommandEvent& event);
    void OnMenuAdd(wxCommandEvent& event);
    void OnMenuExtract(wxCommandEvent& event);
    void OnMenuExtractAll(wxCommandEvent& event);
    void OnMenuDelete(wxCommandEvent& event);
    void OnMenuReplace(wxCommandEvent& event);
    void OnMenuGenerateMipMaps(wxCommandEvent& event);
    void OnMenuResetWindow(wxCommandEvent& event);
    void OnMenuReinitializeRenderPane(wxCommandEvent& event);
    void OnMenuPreferences(wxCommandEvent& event);
    void OnMenuAbout(wxCommandEvent& event);
    void OnSplitterMainSashChanged(wxSplitterEvent& event);
    void OnSplitterFileAreaSashChanged(wxSplitterEvent& event);
    void OnSplitterViewerAreaSashChanged(wxSplitterEvent& event);
    void OnTextureListItemSelected(wxListEvent& event);
    void OnTextureListEndLabelEdit(wxListEvent& event);
    void OnTextureListColClick(wxListEvent& event);
    void OnFileListItemSelected(wxListEvent& event);

    // The pause before a render-system restart; tests record it instead of waiting.
    typedef void (*SleepFunction)(uint32_t milliseconds);
    // Null brings back the platform's Sleep.
    static void setSleepFunction(SleepFunction sleep);

private:
    void buildMenus();
    void buildAcceleratorMap(wxMenuBar* menuBar);
    // True when the key was a menu accelerator and its command has run.
    bool fireMenuAccelerator(const wxKeyEvent& key);
    void appendLog(const std::string& message, const wxColour* colour);
    void writeLogText(const wxString& text, const wxColour* colour);
    // A long command's many log lines reach the pane in one append per colour: every append moves the
    // pane's cursor, and the native control lays out the cursor's line and tells its listeners each
    // time, which costs a thousand-line command a noticeable part of its run.
    void holdLogPane();
    void releaseLogPane();
    // What a texture command did with its items.
    struct StepCount
    {
        int ok = 0;
        int failed = 0;
    };
    // The archive the texture commands work on: the selected one while the back end works, else null.
    WTDFile* commandArchive() const;
    // The loop every texture command shares: step runs once for each of count items, under the busy
    // cursor and with the log pane held; withGauge, the gauge stands at the item's index before each
    // step and is hidden after the last.
    StepCount runSteps(size_t count, bool withGauge, const std::function<bool(size_t)>& step);
    // Extract and Extract All: each texture into folder under its own name, and the status.
    void extractEach(WTDFile* file, const std::vector<uint32_t>& textures, const wxString& folder);
    void setStatus(const wxString& text);
    // The status bar's gauge during a long command. No toolkit events are processed inside a command's
    // loop (a restart or a second command could run under it), so each step repaints the gauge itself.
    void showProgress(int range);
    void setProgress(int value);
    void hideProgress();
    void selectCurrentRow(wxListCtrl* list, long row);
    // how: select all, none, or invert, row by row.
    void selectRows(wxListCtrl* list, int how);
    wxSize usableClientSize(int width, int height) const;
    // The unsaved-changes check for one archive and for all of them.
    bool askSaveChanges(uint32_t index, std::vector<const WTDFile*>& kept);
    bool offerSaveChanges(std::vector<const WTDFile*>& kept);
    // The open archive an entry of the check names, or null when it is no longer open.
    WTDFile* findArchive(const SaveChangesEntry& entry) const;
    // Closes every open archive but the kept ones.
    int closeArchivesExcept(const std::vector<const WTDFile*>& kept);
    void setClosedStatus(int closed, int stayed);
    bool canStoreLayout() const;

    wxMenu* m_fileMenu;
    wxSplitterWindow* m_splitterMain;
    wxSplitterWindow* m_splitterFileArea;
    TextureListCtrl* m_textureList;
    wxListCtrl* m_fileList;
    wxSplitterWindow* m_splitterViewerArea;
    RenderPanel* m_renderPanel;
    wxNotebook* m_displayBook;
    wxTextCtrl* m_logText;
    wxStatusBar* m_statusBar;
    wxStaticText* m_statusText;
    wxGauge* m_progressBar;
    std::unique_ptr<BackEnd> m_backEnd;
    STDFunctions* m_stdFunctions = nullptr;
    // Both lists show it; neither owns it.
    std::unique_ptr<wxImageList> m_imageList;
    int32_t m_sortColumn = -1;
    bool m_updating = false;
    // The lines held back while a long command runs, with their colours (null for Information).
    bool m_logHeld = false;
    std::vector<std::pair<std::string, const wxColour*>> m_heldLog;
    // The menu accelerators by (modifiers, key code), routed from the frame's key hook because the
    // focused control would otherwise swallow them.
    std::map<std::pair<int, int>, int> m_accelerators;
    // A lost device seen, or a render-pane restart asked for, while a modal window was open: done once
    // none is.
    bool m_recoveryPending = false;
    bool m_reinitializePending = false;
    // A recovery that failed (for instance a restart canceled to keep unsaved work) stops the preview
    // until a Reinitialize Render Pane succeeds, instead of retrying on every idle event.
    bool m_previewStopped = false;

    static SleepFunction s_sleep;

    wxDECLARE_EVENT_TABLE();
};
