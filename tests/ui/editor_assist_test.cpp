// SPDX-License-Identifier: GPL-3.0-or-later
// Completion, call tips and unknown names in the template editor, typed as
// a user types them, on the offscreen platform; and the function table from
// the real AviSynth+, then from the cache.
#include <QSignalSpy>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/editor_assist.h"
#include "ui/function_table_loader.h"
#include "ui/template_editor.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif
#ifndef CLIPQUILL_FFMS2_PLUGINS
#define CLIPQUILL_FFMS2_PLUGINS ""
#endif

using namespace clipquill;

namespace {

std::vector<AvsFunction> table() {
  const auto f = [](const char* name, const char* source, const char* signature) {
    return AvsFunction{name, source, signature, parseAvsParams(signature)};
  };
  return {f("BlankClip", "internal", "[]c*[length]i[width]i[height]i"),
          f("Blur", "internal", "cf[amountV]f"), f("Trim", "internal", "cii[length]b"),
          f("FFVideoSource", "/p/libffms2.so", "[source]s[track]i[width]i")};
}

struct Editor {
  TemplateEditor editor;
  EditorAssist* assist = new EditorAssist(&editor);
  Editor() {
    editor.resize(500, 300);
    editor.show();
    assist->setTable(table(), "AviSynth+ 3.7.5 with the plugins of /p");
  }
  long caret() const { return editor.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS); }
  bool tipShown() const { return editor.SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE) != 0; }
  bool marked(long pos) const {
    return editor.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT,
                                static_cast<unsigned long>(EditorAssist::kUnknownIndicator),
                                pos) != 0;
  }
};

}  // namespace

class EditorAssistTest : public QObject {
  Q_OBJECT

 private slots:
  void typingTwoLettersOffersByPrefixWithTheSource_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("functions") << "bl" << QStringList{"BlankClip (internal)", "Blur (internal)"};
    QTest::newRow("any case") << "FFV" << QStringList{"FFVideoSource (libffms2.so)"};
    QTest::newRow("named parameters") << "BlankClip(wi" << QStringList{"width= (int)"};
    QTest::newRow("own names") << "function MyBlur(clip c) { c }\nmy"
                               << QStringList{"MyBlur (template function)"};
    QTest::newRow("a token") << "x = \"<" << QStringList{};  // in a string: nothing
  }
  void typingTwoLettersOffersByPrefixWithTheSource() {
    QFETCH(QString, typed);
    QFETCH(QStringList, entries);
    Editor e;
    // What comes before the last line is there already; the last is typed.
    const qsizetype lineEnd = typed.lastIndexOf('\n') + 1;
    e.editor.setBytes(typed.left(lineEnd).toStdString());
    e.assist->readOwnNamesNow();
    e.editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    e.editor.setFocus();
    QTest::keyClicks(&e.editor, typed.mid(lineEnd));
    QCOMPARE(e.assist->completionEntries(false), entries);
    QCOMPARE(e.editor.isListActive(), !entries.isEmpty());
  }

  void enterOrTabAcceptsAndEscapeCloses() {
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Tab), int(Qt::Key_Escape)}) {
      Editor e;
      e.editor.setFocus();
      QTest::keyClicks(&e.editor, "ffv");
      QVERIFY(e.editor.isListActive());
      QTest::keyClick(&e.editor, Qt::Key(key));
      QVERIFY(!e.editor.isListActive());
      QCOMPARE(QByteArray(e.editor.bytes().data(), qsizetype(e.editor.bytes().size())),
               key == Qt::Key_Escape ? QByteArray("ffv") : QByteArray("FFVideoSource"));
    }
  }

  void ctrlSpaceOffersWhateverIsTyped() {
    Editor e;
    e.editor.setFocus();
    QTest::keyClicks(&e.editor, "x = b");
    QVERIFY(!e.editor.isListActive());
    QTest::keyClick(&e.editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(e.editor.isListActive());
    QTest::keyClick(&e.editor, Qt::Key_Down);
    QTest::keyClick(&e.editor, Qt::Key_Return);
    QCOMPARE(QByteArray(e.editor.bytes().data(), qsizetype(e.editor.bytes().size())),
             QByteArray("x = Blur"));
  }

  void theCallTipFollowsTheCaretAcrossCommasNestingAndStrings() {
    Editor e;
    e.editor.setFocus();
    QTest::keyClicks(&e.editor, "Blur(");
    QVERIFY(e.tipShown());
    QCOMPARE(e.assist->callTip(), QStringLiteral("Blur(clip, float, float amountV)"));
    QCOMPARE(e.assist->markedParameter(), QStringLiteral("clip"));
    QTest::keyClicks(&e.editor, "Trim(c, \"a, (b\", ");
    QVERIFY(e.tipShown());
    QCOMPARE(e.assist->callTip(), QStringLiteral("Trim(clip, int, int, bool length)"));
    QCOMPARE(e.assist->markedParameter(), QStringLiteral("int"));
    QTest::keyClicks(&e.editor, "1), ");
    QVERIFY(e.tipShown());
    QCOMPARE(e.assist->callTip(), QStringLiteral("Blur(clip, float, float amountV)"));
    QCOMPARE(e.assist->markedParameter(), QStringLiteral("float"));
    QTest::keyClicks(&e.editor, "2)");
    QVERIFY(!e.tipShown());
    // Back into the call with the arrow keys: the tip comes back with the next comma.
    QTest::keyClick(&e.editor, Qt::Key_Left);
    QTest::keyClicks(&e.editor, ", ");
    QVERIFY(e.tipShown());
    QCOMPARE(e.assist->markedParameter(), QStringLiteral("float amountV"));
    // And follows the caret back over a comma.
    QTest::keyClick(&e.editor, Qt::Key_Left);
    QTest::keyClick(&e.editor, Qt::Key_Left);
    QTest::keyClick(&e.editor, Qt::Key_Left);
    // The view's update, after the key, moves the mark.
    QTRY_COMPARE(e.assist->markedParameter(), QStringLiteral("float"));
    QVERIFY(e.tipShown());
    QTest::keyClick(&e.editor, Qt::Key_Escape);
    QVERIFY(!e.tipShown());
    QTest::keyClick(&e.editor, Qt::Key_Left);
    QTest::qWait(50);
    QVERIFY(!e.tipShown());  // closed stays closed
  }

  void unknownNamesAreMarkedWithTheirTooltip() {
    Editor e;
    const std::string text =
        "function Mine(clip c) { c }\nFFVideoSourse(\"a\")\nMine(last)\n\"Nope(1)\" # Nope(2)\n"
        "c.Nope()\nFFVideoSource(\"a\", widht=1)\n";
    e.editor.setBytes(text);
    e.assist->readOwnNamesNow();
    QCOMPARE(int(e.assist->marks().size()), 2);
    const long typo = long(text.find("FFVideoSourse"));
    QVERIFY(e.marked(typo));
    QVERIFY(!e.marked(long(text.find("Mine(last)"))));
    QVERIFY(!e.marked(long(text.find("Nope"))));
    QVERIFY(e.marked(long(text.find("widht"))));
    QCOMPARE(e.assist->marks()[0].message,
             QStringLiteral("AviSynth+ 3.7.5 with the plugins of /p has no function "
                            "FFVideoSourse; did you mean FFVideoSource?"));
    // Typing the fix takes the mark away, on the next pause.
    e.editor.setFocus();
    e.editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(typo + 12));
    QTest::keyClick(&e.editor, Qt::Key_Backspace);
    QTest::keyClicks(&e.editor, "c");
    QTRY_VERIFY(!e.marked(typo));
  }

  // The template's own names are read again off the window's thread once
  // typing pauses, the whole text taken either side of where it was typed.
  void aFunctionDefinedAsYouTypeIsNoLongerMarked() {
    Editor e;
    e.editor.setBytes("Mine(1)\n\nx = Mine(2)\n");
    e.assist->readOwnNamesNow();
    QCOMPARE(int(e.assist->marks().size()), 2);
    QSignalSpy read(e.assist, &EditorAssist::ownNamesRead);
    e.editor.setFocus();
    e.editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 8UL);  // the empty line
    QTest::keyClicks(&e.editor, "function Mine(int n) { n }");
    QTRY_VERIFY_WITH_TIMEOUT(read.count() >= 1 && e.assist->marks().empty(), 5000);
  }

  void withoutAviSynthNothingIsMarkedAndTheTipSaysWhy() {
    Editor e;
    e.assist->setNoTable(QStringLiteral("no libavisynth.so found"));
    e.editor.setBytes("FFVideoSourse(\"a\")\nx = 1\n");
    e.assist->readOwnNamesNow();
    QVERIFY(e.assist->marks().empty());
    QVERIFY(e.editor.statusTip().contains(QStringLiteral("no libavisynth.so found")));
    QVERIFY(!e.editor.statusTip().contains('\n'));
    e.editor.setFocus();
    e.editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(&e.editor, "ff");
    QVERIFY(!e.editor.isListActive());  // no filters to offer
  }

  void theTableComesFromAviSynthThenFromTheCache() {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) QSKIP("no AviSynth+");
    clipquill::testing::TempDir cache;
    CheckerOptions options;
    options.library = CLIPQUILL_AVISYNTH_LIBRARY;
    options.helper = CLIPQUILL_CHECK_HELPER;
    options.timeLimit = std::chrono::seconds(30);
    for (int start = 0; start < 2; ++start) {
      Editor e;
      e.assist->setNoTable(QStringLiteral("not yet"));
      auto* loader = new FunctionTableLoader(e.assist, cache.path());
      QSignalSpy loaded(loader, &FunctionTableLoader::loaded);
      loader->load(options);
      QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 30000);
      QCOMPARE(loaded.at(0).at(0).toBool(), true);
      QVERIFY(e.assist->hasTable());
      QVERIFY(e.editor.statusTip().startsWith(
          QStringLiteral("Completion and names checked against AviSynth+ 3.")));
      loader->load(options);  // the same choice: nothing asked again
      QTest::qWait(50);
      QCOMPARE(loaded.count(), 1);
    }
  }

  // A plugin installed while the window is open: its folder changes, and
  // the table is asked anew once the copy settles.
  void aPluginInstalledMeanwhileIsKnownSoon() {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty() ||
        std::string(CLIPQUILL_FFMS2_PLUGINS).empty())
      QSKIP("no AviSynth+ or FFMS2");
    clipquill::testing::TempDir cache;
    clipquill::testing::TempDir plugins;
    CheckerOptions options;
    options.library = CLIPQUILL_AVISYNTH_LIBRARY;
    options.helper = CLIPQUILL_CHECK_HELPER;
    options.timeLimit = std::chrono::seconds(30);
    options.pluginFolders = {plugins.path()};
    Editor e;
    auto* loader = new FunctionTableLoader(e.assist, cache.path());
    QSignalSpy loaded(loader, &FunctionTableLoader::loaded);
    loader->load(options);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 30000);
    e.editor.setFocus();
    QTest::keyClicks(&e.editor, "FFV");
    QVERIFY(e.assist->completionEntries(false).isEmpty());
    std::filesystem::copy_file(std::string(CLIPQUILL_FFMS2_PLUGINS) + "/libffms2.so",
                               plugins.path() + "/libffms2.so");
    QTRY_VERIFY_WITH_TIMEOUT(!e.assist->completionEntries(false).isEmpty(), 30000);
    QVERIFY(e.assist->completionEntries(false).first().startsWith("FFVideoSource ("));
  }
};

QTEST_MAIN(EditorAssistTest)
#include "editor_assist_test.moc"
