#pragma once
// The real window (offscreen) on a program folder of its own whose catalog holds `count`
// generated records, all of them shown and laid out.
#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/session.h"
#include "benchtiming.h"
#include "corpus.h"
#include "gui/guiprompt.h"
#include "gui/logindialog.h"
#include "gui/mainframe.h"
#include "gui/mainview.h"

namespace varnel::bench {

struct WindowRig {
    WindowRig(const std::string& name, int32_t count)
        : dir(std::filesystem::temp_directory_path() / name),
          session((std::filesystem::create_directories(dir), dir.string()), prompt, dialogs) {
        generateCorpus(session.catalog, count);
        session.catalog.historyPushList(kMasterList);
        session.catalog.page().viewMode = 1;
        frame = std::make_unique<CMainFrame>(session, prompt);
        frame->resize(1000, 700);
        frame->show();
        QApplication::processEvents();
        frame->mainView()->LayoutView();
    }
    CMainView& view() { return *frame->mainView(); }

    std::filesystem::path dir;
    GuiPrompt prompt;
    GuiRemoteDialogs dialogs;
    AppSession session;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace varnel::bench
