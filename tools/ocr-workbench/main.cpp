// A maintainer's bench for the stored networks.
//
// With a window: draw or load a picture, choose a network and see what it reads.
// On the command line:
//   ocr-workbench PICTURE NETWORK [--cleartype]
// NETWORK is an index (0-3) or a stored name. The picture gets the capture
// cleaning of that network's window (mask, and the ClearType preparation
// when asked), is recognised, and the tool prints the text and whether it
// would be accepted as a personal number.
//
//   ocr-workbench --batch NETWORK [--cleartype] FOLDER|LIST.txt|PICTURE...
// reads many strips in one process, as the floater reads a capture (both
// cleanings, the screen-number rules; no second pass), one line each:
// file, text, accepted number or the reason it was refused, and the
// smallest glyph margin (output neurons of 400).

#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "ocr/widgets/DCRFrame.h"
#include "ocr/widgets/QtImage.h"
#include "toolkit/core/PersonalNumber.h"
#include "tools/ToolArguments.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <string>

namespace {

int networkIndex(ocr::TFrmOCR& host, const std::string& arg)
{
    if (arg.size() == 1 && arg[0] >= '0' && arg[0] <= '3')
        return arg[0] - '0';
    const auto& files = host.FileStorage1.Files;
    const ocr::TStoredFile* wanted = host.FileStorage1.Find(arg);
    for (std::size_t i = 0; wanted && i < files.size(); ++i)
        if (files[i].get() == wanted)
            return static_cast<int>(i);
    return -1;
}

constexpr const char* kUsage = "usage: ocr-workbench                               (a window)\n"
                               "       ocr-workbench PICTURE NETWORK [--cleartype]\n"
                               "       ocr-workbench --batch NETWORK [--cleartype] FOLDER|LIST.txt|PICTURE...\n"
                               "NETWORK is an index (0-3) or a stored network's name.\n";

int commandLine(const QString& picturePath, const std::string& networkArg, bool clearType)
{
    ocr::TFrmOCR host;
    const int network = networkIndex(host, networkArg);
    if (network < 0 || !host.LoadDCRFile(network)) {
        std::fprintf(stderr, "no stored network \"%s\"\n", networkArg.c_str());
        return 2;
    }
    QImage picture;
    if (!picture.load(picturePath)) {
        std::fprintf(stderr, "cannot read picture %s\n", qPrintable(picturePath));
        return 2;
    }
    const ocr::Image clean =
        ocr::CleanStrip(ocr::FromQImage(picture), ocr::NetworkStripKind(network), clearType);
    const std::string text = host.Recognize(clean);
    const auto accepted = toolkit::NumberFromRecognisedText(text);
    std::printf("ResultText: \"%s\"\n", host.DCR.ResultText.c_str());
    std::printf("accepted: %s\n", accepted ? accepted->c_str() : "no");
    return 0;
}

// The pictures named by the arguments: a folder's pictures in name order,
// the lines of a .txt list, or the files themselves.
QStringList batchFiles(int argc, char** argv, int first)
{
    QStringList files;
    for (int i = first; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(arg);
        if (info.isDir()) {
            const QDir dir(arg);
            for (const QString& name :
                 dir.entryList({"*.png", "*.bmp", "*.ppm", "*.jpg", "*.tif", "*.tiff"}, QDir::Files,
                               QDir::Name))
                files << dir.filePath(name);
        } else if (info.suffix().compare("txt", Qt::CaseInsensitive) == 0) {
            QFile list(arg);
            if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
                QTextStream in(&list);
                while (!in.atEnd()) {
                    const QString line = in.readLine().trimmed();
                    if (!line.isEmpty())
                        files << line;
                }
            } else {
                files << arg; // reported as unreadable below
            }
        } else {
            files << arg;
        }
    }
    return files;
}

int batch(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    ocr::TFrmOCR host;
    const int network = networkIndex(host, argv[2]);
    if (network < 0 || !host.LoadDCRFile(network)) {
        std::fprintf(stderr, "no stored network \"%s\"\n", argv[2]);
        return 2;
    }
    int first = 3;
    const bool clearType = std::string(argv[3]) == "--cleartype";
    if (clearType)
        ++first;
    const auto today = toolkit::LocalToday();
    int failures = 0;
    for (const QString& file : batchFiles(argc, argv, first)) {
        QImage picture;
        if (!picture.load(file)) {
            std::printf("%s\t\tunreadable picture\t\n", qPrintable(file));
            ++failures;
            continue;
        }
        const auto reading = host.ReadCapture(ocr::FromQImage(picture),
                                              ocr::NetworkStripKind(network), clearType, network,
                                              today);
        std::printf("%s\t%s\t%s\t%d\n", qPrintable(file), reading.text.c_str(),
                    reading.accepted() ? reading.number.c_str() : ocr::VerdictText(reading.verdict),
                    reading.margin);
    }
    return failures ? 1 : 0;
}

class Workbench : public QWidget {
public:
    Workbench()
    {
        setWindowTitle("OCR workbench");
        frame_ = new ocr::TDCRFrame(this);
        frame_->setMinimumSize(480, 160);
        auto* networks = new QComboBox(this);
        for (const char* name : ocr::kStoredNetworkNames)
            networks->addItem(name);
        auto* clearType = new QCheckBox("ClearType", this);
        auto* pencil = new QPushButton("Pencil", this);
        auto* eraser = new QPushButton("Eraser", this);
        auto* clear = new QPushButton("Clear", this);
        auto* open = new QPushButton("Open...", this);
        auto* save = new QPushButton("Save...", this);
        auto* read = new QPushButton("Recognize", this);
        auto* result = new QLabel(this);
        result->setTextInteractionFlags(Qt::TextSelectableByMouse);

        auto* tools = new QHBoxLayout;
        for (QWidget* w : std::initializer_list<QWidget*>{networks, clearType, pencil, eraser,
                                                         clear, open, save, read})
            tools->addWidget(w);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(tools);
        layout->addWidget(frame_, 1);
        layout->addWidget(result);

        connect(pencil, &QPushButton::clicked, this,
                [this] { frame_->DrawingTool = ocr::TDrawingTool::dtPencil; });
        connect(eraser, &QPushButton::clicked, this,
                [this] { frame_->DrawingTool = ocr::TDrawingTool::dtEraser; });
        connect(clear, &QPushButton::clicked, frame_, &ocr::TDCRFrame::Clear);
        connect(open, &QPushButton::clicked, this, [this] {
            const QString file = QFileDialog::getOpenFileName(this, "Open picture");
            if (!file.isEmpty())
                frame_->OpenPicture(file);
        });
        connect(save, &QPushButton::clicked, this, [this] {
            const QString file = QFileDialog::getSaveFileName(this, "Save picture");
            if (!file.isEmpty())
                frame_->SavePicture(file);
        });
        connect(read, &QPushButton::clicked, this, [=, this] {
            const int network = networks->currentIndex();
            host_.LoadDCRFile(network);
            // Drawn pictures are black on white already; captures get their cleaning.
            const ocr::Image clean = ocr::CleanStrip(ocr::FromQImage(frame_->Picture()),
                                                     ocr::StripKind::Plain, clearType->isChecked());
            const std::string text = host_.Recognize(clean);
            const auto accepted = toolkit::NumberFromRecognisedText(text);
            result->setText(QString("ResultText: \"%1\"   accepted: %2")
                                .arg(QString::fromStdString(host_.DCR.ResultText),
                                     accepted ? QString::fromStdString(*accepted) : "no"));
        });
        frame_->Init();
    }

private:
    ocr::TDCRFrame* frame_;
    ocr::TFrmOCR host_;
};

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (tools::IsHelpSwitch(argv[i])) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (argc >= 2 && std::string(argv[1]) == "--batch") {
        QCoreApplication app(argc, argv);
        return batch(argc, argv);
    }
    // No argument for the window, or a picture and a network with the one
    // switch after them.
    bool wrong = argc == 2;
    for (int i = 1; i < argc; ++i)
        wrong = wrong || (i < 3 ? tools::LooksLikeSwitch(argv[i])
                                : std::string(argv[i]) != "--cleartype");
    if (wrong) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (argc >= 3) {
        QCoreApplication app(argc, argv);
        return commandLine(QString::fromLocal8Bit(argv[1]), argv[2], argc > 3);
    }
    QApplication app(argc, argv);
    Workbench bench;
    bench.show();
    return app.exec();
}
