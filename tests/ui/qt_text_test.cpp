// Bytes shown in the window and given back: UTF-8 when valid, else Latin-1,
// and the same bytes back for text left as it was.
#include <QtTest>
#include <string>

#include "ui/qt_text.h"

using namespace clipquill;

class QtTextTest : public QObject {
  Q_OBJECT

 private slots:
  void validUtf8() {
    struct Case {
      std::string bytes;
      bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain", true},
        {"caf\xC3\xA9", true},
        {"\xE2\x82\xAC", true},       // the euro sign
        {"\xF0\x9F\x8E\xAC", true},   // a four-byte character
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF, the last
        {"caf\xE9", false},           // Latin-1
        {"\xC3", false},              // cut short
        {"\xC0\xAF", false},          // overlong
        {"\xE0\x80\xAF", false},      // overlong
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\x80", false},              // a lone continuation byte
        {"\xE2\x28\xA1", false},      // a bad continuation byte
    };
    for (const Case& c : cases)
      QCOMPARE(isValidUtf8(c.bytes), c.valid);
  }

  void shownAndGivenBack() {
    struct Case {
      std::string bytes;
      QString shown;
      bool latin1;
    };
    const Case cases[] = {
        {"plain", "plain", false},
        {"caf\xC3\xA9", QString::fromUtf8("caf\xC3\xA9"), false},
        {"caf\xE9", QString::fromLatin1("caf\xE9"), true},
        {std::string("a\0b", 3), QString::fromLatin1("a\0b", 3), false},
    };
    for (const Case& c : cases) {
      QCOMPARE(shownText(c.bytes), c.shown);
      QCOMPARE(textBytes(shownText(c.bytes), c.latin1), c.bytes);
    }
    // A character Latin-1 cannot hold goes back as UTF-8, whatever was shown.
    QCOMPARE(textBytes(QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"), true),
             std::string("caf\xC3\xA9 \xE2\x82\xAC"));
  }
};

QTEST_MAIN(QtTextTest)
#include "qt_text_test.moc"
