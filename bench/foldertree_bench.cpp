// foldertree_bench [--folders N]: expanding a folder of N subfolders (default 10,000; the
// record count that ./run bench hands every benchmark is ignored; every tenth has a
// subfolder of its own) in the real folder pane (Qt widgets, offscreen), painted, first as
// it opens and then again (the refresh on every expand), against the baselines: listing the
// folder with readdir and fstatat, and a bare tree widget given N items.
// Prints median times and ratios; only a wrong answer makes the run fail.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "benchtiming.h"
#include "gui/foldertree.h"

namespace {

using varnel::bench::median;
using varnel::bench::now;


// What any listing of the folder must do: read its entries and look at each one.
int listFolders(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return -1;
    int folders = 0;
    struct stat st {};
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            ++folders;
    }
    closedir(dir);
    return folders;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 10000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--folders") count = std::max(1, std::atoi(argv[i + 1]));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "varnel-foldertree-bench";
    std::filesystem::remove_all(root);
    const std::filesystem::path big = root / "big";
    for (int k = 0; k < count; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "folder%05d", k);
        std::filesystem::create_directories(k % 10 == 0 ? big / name / "inner" : big / name);
    }
    std::printf("foldertree_bench: a folder of %d subfolders (%s build)\n", count,
                VARNEL_BUILD_TYPE);

    varnel::CFolderTree tree(nullptr);
    tree.resize(300, 700);
    tree.show();
    const std::string home = root.string() + "/";
    tree.InitTree(home, {}, (root / "no-sites").string());
    QApplication::processEvents();
    QTreeWidgetItem* homeItem = tree.topLevelItem(0);
    tree.expandItem(homeItem);
    QTreeWidgetItem* bigItem = homeItem->child(0);

    constexpr int kRounds = 5;
    bool failed = false;
    std::vector<double> first, again, listing, bare;
    for (int round = 0; round < kRounds; ++round) {
        // A first opening: the item has no children yet.
        qDeleteAll(bigItem->takeChildren());
        tree.collapseItem(bigItem);
        double t = now();
        tree.expandItem(bigItem);
        tree.viewport()->repaint();
        first.push_back(now() - t);
        failed |= bigItem->childCount() != count;

        tree.collapseItem(bigItem);
        t = now();
        tree.expandItem(bigItem);
        tree.viewport()->repaint();
        again.push_back(now() - t);
        failed |= bigItem->childCount() != count ||
                  varnel::CFolderTree::itemPath(bigItem->child(count - 1)) !=
                      big.string() + "/folder" + std::to_string(count - 1 + 100000).substr(1) + "/";

        t = now();
        failed |= listFolders(big.string()) != count;
        listing.push_back(now() - t);

        QTreeWidget plain;
        plain.resize(300, 700);
        plain.show();
        auto* parent = new QTreeWidgetItem(&plain, QStringList{QStringLiteral("big")});
        t = now();
        QList<QTreeWidgetItem*> items;
        items.reserve(count);
        for (int k = 0; k < count; ++k)
            items.append(new QTreeWidgetItem(QStringList{QString::number(k)}));
        parent->addChildren(items);
        plain.expandItem(parent);
        plain.viewport()->repaint();
        bare.push_back(now() - t);
    }
    const double base = median(listing) + median(bare);
    std::printf("  first expand   %7.1f ms   goal < 100 ms   ratio to listing + bare widget %5.2f\n",
                median(first) * 1e3, median(first) / base);
    std::printf("  expand again   %7.1f ms   goal < 100 ms   ratio to listing + bare widget %5.2f\n",
                median(again) * 1e3, median(again) / base);
    std::printf("  baselines: readdir + fstatat %7.1f ms, bare tree widget with %d items %7.1f ms\n",
                median(listing) * 1e3, count, median(bare) * 1e3);
    if (failed) std::fprintf(stderr, "verification failed: the children shown\n");
    std::filesystem::remove_all(root);
    return failed ? 1 : 0;
}
