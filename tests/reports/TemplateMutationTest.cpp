// The shipped templates mutated at random (fixed seed): every mutant either loads or is
// refused with a reason, and every one that loads prepares over a few films to a bounded
// number of pages or is refused with a reason. A crash or a hang fails the program; its
// CTest time limit is what catches a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <random>

#include "ReportTestSupport.h"

namespace rpt {
namespace {

constexpr unsigned kSeed = 20261209;
constexpr int kMutants = 10000;  // each with one to three mutations
constexpr int kRows = 6;
// Far above what any shipped template makes of kRows films (one or two pages), and
// within what a tall band split over pages makes of them.
constexpr int kMaxPages = 400;

class Mutator {
 public:
  explicit Mutator(unsigned seed) : rng_(seed) {}

  size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(rng_); }

  // One mutation; what it did is appended to *log.
  void Mutate(QByteArray& bytes, QStringList& log) {
    if (Pick(2) == 0 && MutateTree(bytes, log)) return;
    MutateBytes(bytes, log);
  }

 private:
  void MutateBytes(QByteArray& b, QStringList& log) {
    const size_t at = Pick(static_cast<size_t>(b.size()) + 1);
    const qsizetype i = static_cast<qsizetype>(at);
    switch (Pick(4)) {
      case 0:
        if (i < b.size()) b[i] = static_cast<char>(b[i] ^ (1 << Pick(8)));
        log << QStringLiteral("bit flipped at %1").arg(i);
        break;
      case 1:
        b.insert(i, static_cast<char>(Pick(256)));
        log << QStringLiteral("byte inserted at %1").arg(i);
        break;
      case 2:
        if (i < b.size()) b.remove(i, 1);
        log << QStringLiteral("byte removed at %1").arg(i);
        break;
      default:
        b.truncate(i);
        log << QStringLiteral("cut at %1").arg(i);
        break;
    }
  }

  static void Collect(XmlNode& n, std::vector<XmlNode*>& all, std::vector<std::pair<XmlNode*, size_t>>& inParent) {
    all.push_back(&n);
    for (size_t i = 0; i < n.children.size(); ++i) {
      inParent.emplace_back(&n, i);
      Collect(n.children[i], all, inParent);
    }
  }

  QString Value() {
    static const QStringList values{
        QStringLiteral("1e308"), QStringLiteral("-1e308"), QStringLiteral("99999999999999999999"),
        QStringLiteral("1e6"),   QStringLiteral("10000"),  QStringLiteral("-1"),
        QStringLiteral("-10000"), QStringLiteral("0"),     QStringLiteral("0.0001"),
        QStringLiteral("nan"),   QStringLiteral("inf"),    QStringLiteral("-inf"),
        QString(),               QString(20000, u'x'),     QStringLiteral("1") + QString(400, u'0'),
        QStringLiteral("[RptDataset1.\"Nic\"]"),           QStringLiteral("[SUM(RptDataset1.\"Titul\")]"),
        QStringLiteral("[[[[]"), QStringLiteral("Landscape"), QStringLiteral("All"),
        QStringLiteral("#zzzzzz"), QStringLiteral("Left,Top,Nic")};
    return values[static_cast<qsizetype>(Pick(static_cast<size_t>(values.size())))];
  }

  // An attribute's value, an object's text, a comment or text added, or an element
  // duplicated or removed, on the read tree written back; false when the bytes no longer read.
  bool MutateTree(QByteArray& bytes, QStringList& log) {
    XmlNode root;
    if (!ReadTemplateXml(bytes, root, nullptr)) return false;
    std::vector<XmlNode*> all;
    std::vector<std::pair<XmlNode*, size_t>> inParent;
    Collect(root, all, inParent);
    static const char* const keys[] = {"Left",   "Top",        "Width",       "Height",      "Size",         "Columns",
                                       "ColumnGap", "LeftMargin", "TopMargin", "RightMargin", "BottomMargin", "Rotation",
                                       "LineWidth", "FrameWidth", "Radius",    "Condition",   "Type",         "Stretch",
                                       "KeepTogether", "StartNewPage", "RepeatHeader", "SortRows", "WordWrap", "Frame",
                                       "Orientation", "PaperSize",  "DataSet"};
    switch (Pick(6)) {
      case 0: {  // an attribute it has
        XmlNode& n = *all[Pick(all.size())];
        if (n.attrs.empty()) return false;
        auto& attr = n.attrs[Pick(n.attrs.size())];
        attr.second = Value();
        log << QStringLiteral("<%1 %2=\"%3\">").arg(n.name, attr.first, attr.second.left(40));
        break;
      }
      case 1: {  // an attribute of the template's own, set or replaced
        XmlNode& n = *all[Pick(all.size())];
        const QString key = QLatin1String(keys[Pick(std::size(keys))]);
        n.SetAttr(key, Value());
        log << QStringLiteral("<%1 %2=\"%3\">").arg(n.name, key, n.Attr(key).left(40));
        break;
      }
      case 2: {  // the text of an element without children
        XmlNode& n = *all[Pick(all.size())];
        if (!n.children.empty()) return false;
        n.text = Value();
        log << QStringLiteral("<%1>%2</%1>").arg(n.name, n.text.left(40));
        break;
      }
      case 3: {  // an element duplicated
        if (inParent.empty()) return false;
        auto [parent, i] = inParent[Pick(inParent.size())];
        XmlNode copy = parent->children[i];
        log << QStringLiteral("<%1> duplicated").arg(copy.name);
        parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(i), std::move(copy));
        break;
      }
      case 4: {  // a comment, or text among child elements
        XmlNode& n = *all[Pick(all.size())];
        const bool text = !n.children.empty() && Pick(2) == 0;
        XmlExtra e{text ? XmlExtra::Kind::Text : XmlExtra::Kind::Comment, Value(), Pick(n.children.size() + 1),
                   static_cast<qsizetype>(Pick(static_cast<size_t>(n.text.size()) + 1))};
        log << QStringLiteral("<%1> %2 \"%3\" at %4").arg(n.name, text ? "text" : "comment", e.data.left(40)).arg(e.before);
        auto at = std::find_if(n.extras.begin(), n.extras.end(), [&](const XmlExtra& x) { return x.before > e.before; });
        n.extras.insert(at, std::move(e));
        break;
      }
      default: {  // an element removed
        if (inParent.empty()) return false;
        auto [parent, i] = inParent[Pick(inParent.size())];
        log << QStringLiteral("<%1> removed").arg(parent->children[i].name);
        parent->children.erase(parent->children.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    bytes = WriteTemplateXml(root);
    return true;
  }

  std::mt19937 rng_;
};

bool SameTree(const XmlNode& a, const XmlNode& b) {
  if (a.name != b.name || a.attrs != b.attrs || a.text != b.text || a.extras != b.extras ||
      a.children.size() != b.children.size())
    return false;
  for (size_t i = 0; i < a.children.size(); ++i)
    if (!SameTree(a.children[i], b.children[i])) return false;
  return true;
}

TEST(TemplateMutation, MutatedShippedTemplatesLoadOrAreRefusedAndPrepareBounded) {
  std::vector<QByteArray> shipped;
  for (const char* file : {"SeznamFilmu.ksr", "FilmyPodleZanru.ksr", "KartaFilmu.ksr"}) {
    shipped.push_back(test::ReadBytes(test::ShippedTemplatePath(QLatin1String(file))));
    ASSERT_FALSE(shipped.back().isEmpty()) << file;
  }
  MemorySource films =
      test::Films(kRows, {QStringLiteral("Drama"), QStringLiteral("Komedie"), QStringLiteral("Western")});

  Mutator mutator(kSeed);
  int mutations = 0, refusedAtLoad = 0, refusedAtPrepare = 0, prepared = 0, failures = 0;
  QStringList examples;
  auto failed = [&](int mutant, const QStringList& log, const QString& what) {
    if (++failures <= 5) examples << QStringLiteral("mutant %1 (%2): %3").arg(mutant).arg(log.join(QStringLiteral("; ")), what);
  };
  for (int mutant = 0; mutant < kMutants; ++mutant) {
    QByteArray bytes = shipped[mutator.Pick(shipped.size())];
    QStringList log;
    const int count = 1 + static_cast<int>(mutator.Pick(3));
    for (int m = 0; m < count; ++m) mutator.Mutate(bytes, log);
    mutations += count;

    XmlNode root;
    QString error;
    if (!ReadTemplateXml(bytes, root, &error)) {
      ++refusedAtLoad;
      if (error.isEmpty()) failed(mutant, log, QStringLiteral("refused without a reason"));
      continue;
    }
    // What was read is saved in a form that reads back to the same tree and bytes.
    const QByteArray written = WriteTemplateXml(root);
    XmlNode again;
    if (!ReadTemplateXml(written, again, &error) || !SameTree(again, root) || WriteTemplateXml(again) != written) {
      failed(mutant, log, QStringLiteral("its save does not read back the same: %1").arg(error));
      continue;
    }
    ReportDef def;
    if (!CompileTemplate(root, def, &error)) {
      ++refusedAtLoad;
      if (error.isEmpty()) failed(mutant, log, QStringLiteral("refused without a reason"));
      continue;
    }
    PreparedReport out;
    error.clear();
    if (!PrepareReport(def, films, out, &error, [](int pages) { return pages < kMaxPages; })) {
      ++refusedAtPrepare;
      if (error.isEmpty()) failed(mutant, log, QStringLiteral("preparation refused without a reason"));
      continue;
    }
    if (out.cancelled || out.pages.size() > static_cast<size_t>(kMaxPages) || out.pages.empty()) {
      failed(mutant, log, QStringLiteral("%1 pages%2").arg(out.pages.size()).arg(out.cancelled ? " and more" : ""));
      continue;
    }
    ++prepared;
  }
  EXPECT_EQ(failures, 0) << examples.join(u'\n').toStdString();
  EXPECT_GE(mutations, kMutants);
  // Each outcome is reached often, so the mutations test what they should.
  EXPECT_GE(refusedAtLoad, kMutants / 10);
  EXPECT_GE(prepared, kMutants / 10);
  EXPECT_GE(refusedAtPrepare, 10);
  std::cout << "mutations " << mutations << ", refused at load " << refusedAtLoad << ", refused at preparation "
            << refusedAtPrepare << ", prepared " << prepared << '\n';
}

}  // namespace
}  // namespace rpt
