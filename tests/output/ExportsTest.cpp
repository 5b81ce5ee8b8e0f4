#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "base/FileUtil.h"
#include "codecs/JpegCodec.h"
#include "output/HtmlExport.h"
#include "output/HtmlText.h"
#include "output/RenderTestSupport.h"
#include "output/SequenceExport.h"
#include "output/StatisticReport.h"
#include "output/TextExport.h"

namespace {

using namespace qv;
using qvtest::TestCell;
using qvtest::TestMosaic;

// Five columns, two rows; (col 4, row 1) is empty, (1, 0) and (3, 1) share a.jpg.
std::vector<TestCell> GalleryCells(const std::string& tileDir) {
  auto cells = qvtest::ColouredCells(10);
  for (int i = 0; i < 10; ++i) cells[size_t(i)].Name = tileDir + "/t" + std::to_string(i) + ".png";
  cells[1].Name = tileDir + "/a.jpg";
  cells[8].Name = tileDir + "/a.jpg";
  cells[9].Name = "";
  cells[9].Thumb = Bitmap24();
  return cells;
}

TEST(HtmlExport, PageTextAndEveryReferencedFile) {
  qvtest::TempDir tiles;
  SaveJpegFile(tiles.File("a.jpg"), qvtest::SolidPicture(30, 20, 1, 2, 3), 90);
  TestMosaic m(5, 2, GalleryCells(tiles.Path()));
  RenderSettings st;
  st.OutputWidth = 500;
  st.OutputHeight = 150;
  const std::string file = m.Dir.File("gallery.htm");
  WriteOutcome out = SaveHTML(file, m.Source(), st, RenderArea{3, 0, 2, 2}, {});
  const std::string page = m.Dir.File("gallery.html");
  EXPECT_EQ(out.Message, "Saved to " + page);
  const std::string text = ReadWholeFile(page);
  const std::string expect =
      "<HTML><HEAD><META NAME=\"description\" CONTENT=\"Mosaic image gallery\">"
      "<META NAME=\"creator\" CONTENT=\"Quivara v.2 - https://quivara.example.org\">"
      "<TITLE>Mosaic image gallery</TITLE></HEAD>"
      "<BODY BACKGROUND=\"\" BGCOLOR=\"#00008B\" TEXT=\"#ffff80\" LINK=\"#FFFF80\" VLINK=\"#C0C0C0\" "
      "ALINK=\"#ff0000\"><TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">\r\n"
      "<tr align=center>\r\n"
      "<td><a href=\"big/t3.png\" target=\"_blank\"><img border=\"0\" src=\"tmb/001-004-t3.jpg\"></a></td>"
      "<td><a href=\"big/t4.png\" target=\"_blank\"><img border=\"0\" src=\"tmb/001-005-t4.jpg\"></a></td></tr>\r\n"
      "<tr align=center>\r\n"
      "<td><a href=\"big/a.jpg\" target=\"_blank\"><img border=\"0\" src=\"tmb/002-004-a.jpg\"></a></td>"
      "<td><a href=\"big/\" target=\"_blank\"><img border=\"0\" src=\"tmb/002-005-.jpg\"></a></td></tr>\r\n"
      "</table>\r\n</BODY>\r\n</HTML>\r\n";
  EXPECT_EQ(text, expect);
  // Every small picture exists at its cell size; big/ holds the tile files that exist.
  std::regex src("src=\"([^\"]+)\"");
  int pictures = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), src); it != std::sregex_iterator(); ++it) {
    const std::string path = m.Dir.File((*it)[1]);
    ASSERT_TRUE(FileExists(path)) << path;
    EXPECT_EQ(ReadJpegSize(path).Width, 250);
    ++pictures;
  }
  EXPECT_EQ(pictures, 4);
  EXPECT_EQ(ReadWholeFile(m.Dir.File("big/a.jpg")), ReadWholeFile(tiles.File("a.jpg")));
  EXPECT_TRUE(DirectoryExists(m.Dir.File("big")));
}

// The attribute values of every tag of an HTML page, as a browser reads them: quoted or bare
// values, character references decoded.
std::vector<std::map<std::string, std::string>> PageTags(const std::string& page) {
  auto decode = [](const std::string& v) {
    static const std::map<std::string, std::string> named{
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
      const size_t semi = v.find(';', i);
      if (v[i] == '&' && semi != std::string::npos) {
        const std::string ref = v.substr(i + 1, semi - i - 1);
        if (named.count(ref)) {
          out += named.at(ref);
          i = semi;
          continue;
        }
        if (ref.size() > 1 && ref[0] == '#') {
          out += char(std::stoi(ref.substr(1)));
          i = semi;
          continue;
        }
      }
      out += v[i];
    }
    return out;
  };
  std::vector<std::map<std::string, std::string>> tags;
  size_t i = 0;
  while ((i = page.find('<', i)) != std::string::npos) {
    ++i;
    std::map<std::string, std::string> attrs;
    size_t j = i;
    while (j < page.size() && !std::isspace(static_cast<unsigned char>(page[j])) && page[j] != '>') ++j;
    attrs[""] = page.substr(i, j - i);  // the tag name
    while (j < page.size() && page[j] != '>') {
      if (std::isspace(static_cast<unsigned char>(page[j]))) {
        ++j;
        continue;
      }
      size_t k = j;
      while (k < page.size() && page[k] != '=' && page[k] != '>' && !std::isspace(static_cast<unsigned char>(page[k])))
        ++k;
      const std::string name = page.substr(j, k - j);
      std::string value;
      if (k < page.size() && page[k] == '=') {
        ++k;
        if (page[k] == '"' || page[k] == '\'') {
          const size_t close = page.find(page[k], k + 1);
          value = page.substr(k + 1, close - k - 1);
          k = close + 1;
        } else {
          const size_t s = k;
          while (k < page.size() && page[k] != '>' && !std::isspace(static_cast<unsigned char>(page[k]))) ++k;
          value = page.substr(s, k - s);
        }
      }
      attrs[name] = decode(value);
      j = k;
    }
    tags.push_back(attrs);
    i = j;
  }
  return tags;
}

// The file a relative link of a page in folder leads to: the path part of the URL (before
// any query or fragment), percent-decoded.
std::string LinkedFile(const std::string& folder, const std::string& url) {
  const std::string path = url.substr(0, url.find_first_of("?#"));
  std::string file;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size()) {
      file += char(std::stoi(path.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      file += path[i];
    }
  }
  return folder + "/" + file;
}

TEST(HtmlExport, EveryLinkLeadsToTheFileItNamesWhateverItsName) {
  const std::vector<std::string> names{"say \"cheese\".png", "<b>&amp;.jpg",  "shot #2.png",
                                       "why?.jpg",           "100% sure.png", "caf\xc3\xa9 au lait.jpg"};
  qvtest::TempDir tiles;
  auto cells = qvtest::ColouredCells(6);
  for (size_t i = 0; i < names.size(); ++i) {
    cells[i].Name = tiles.File(names[i]);
    std::ofstream(cells[i].Name, std::ios::binary) << "tile " << i;
  }
  TestMosaic m(3, 2, cells);
  RenderSettings st;
  st.OutputWidth = 90;
  st.OutputHeight = 40;
  SaveHTML(m.Dir.File("gallery.html"), m.Source(), st, WholeGrid(3, 2), {});
  const std::string page = ReadWholeFile(m.Dir.File("gallery.html"));
  std::set<std::string> bigs, smalls;
  int cellsLinked = 0;
  for (const auto& tag : PageTags(page)) {
    if (tag.at("") == "a") {
      ASSERT_TRUE(tag.count("href")) << page;
      const std::string file = LinkedFile(m.Dir.Path(), tag.at("href"));
      ASSERT_TRUE(FileExists(file)) << tag.at("href");
      bigs.insert(ReadWholeFile(file));
      ++cellsLinked;
    } else if (tag.at("") == "img") {
      const std::string file = LinkedFile(m.Dir.Path(), tag.at("src"));
      ASSERT_TRUE(FileExists(file)) << tag.at("src");
      EXPECT_EQ(ReadJpegSize(file).Width, 30);
      smalls.insert(file);
    }
  }
  EXPECT_EQ(cellsLinked, 6);
  EXPECT_EQ(smalls.size(), 6u);
  // Each link leads to the copy of its own tile.
  EXPECT_EQ(bigs, (std::set<std::string>{"tile 0", "tile 1", "tile 2", "tile 3", "tile 4", "tile 5"}));

  EXPECT_EQ(HtmlEscape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
  EXPECT_EQ(UrlPathSegment("a b#c?d%e/f.jpg"), "a%20b%23c%3Fd%25e%2Ff.jpg");
}

TEST(HtmlExport, StoppedPageIsWellFormed) {
  TestMosaic m(3, 2, qvtest::ColouredCells(6));
  RenderSettings st;
  st.OutputWidth = 90;
  st.OutputHeight = 40;
  std::atomic<bool> stop{false};
  RenderCallbacks cb;
  cb.StopRequested = &stop;
  cb.OnProgress = [&](int64_t done, int64_t) { stop = done == 2; };
  SaveHTML(m.Dir.File("g.html"), m.Source(), st, WholeGrid(3, 2), cb);
  const std::string text = ReadWholeFile(m.Dir.File("g.html"));
  EXPECT_NE(text.find("tmb/001-002-tile1.jpg\"></a></td></tr>\r\n</table>\r\n</BODY>\r\n</HTML>\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("001-003"), std::string::npos);
}

TEST(SequenceExport, OneBmpPerCellNamedByAbsolutePosition) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12, "/x/tile"));
  RenderSettings st;
  st.OutputWidth = 1000;
  st.OutputHeight = 60;
  const std::string base = m.Dir.File("poster.bmp");
  WriteOutcome out = SaveSequence(base, m.Source(), st, RenderArea{1, 1, 3, 2}, {});
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(m.Dir.Path()))
    if (e.path().extension() == ".bmp") files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"poster-002-002-tile0.bmp", "poster-002-003-tile1.bmp",
                                          "poster-002-004-tile2.bmp", "poster-003-002-tile4.bmp",
                                          "poster-003-003-tile0.bmp", "poster-003-004-tile1.bmp"}));
  EXPECT_EQ(out.Message, "Sequence saved to files: " + m.Dir.File("poster") + "-ROW-COL-tile1.bmp");
  // Cells 333, 334, 333 pixels wide.
  EXPECT_EQ(ReadWholeFile(m.Dir.File("poster-002-002-tile0.bmp")).size(), 54u + 1000u * 30u);
  EXPECT_EQ(ReadWholeFile(m.Dir.File("poster-002-003-tile1.bmp")).size(), 54u + 1004u * 30u);
  EXPECT_EQ(SequenceFileName("/out/poster.bmp", 0, 4, ""), "/out/poster-001-005-.bmp");
  EXPECT_EQ(SequenceFileName("/out/poster.bmp", 999, 1, "C/beach.jpg"), "/out/poster-1000-002-beach.bmp");
}

TEST(TextExport, LinesAndStop) {
  EXPECT_EQ(TextListLine(0, 1, "C:/tiles/dune.jpg"), "   1,    2, C:/tiles/dune.jpg");
  EXPECT_EQ(TextListLine(4, 5, ""), "   5,    6, ");
  EXPECT_EQ(TextListLine(12344, 0, "a"), "12345,    1, a");
  auto cells = qvtest::ColouredCells(6, "/t/");
  cells[4].Name = "";
  TestMosaic m(3, 2, cells);
  WriteOutcome out = SaveText(m.Dir.File("list.dat"), m.Source(), RenderArea{1, 0, 2, 2}, {});
  EXPECT_EQ(out.Message, "Saved to " + m.Dir.File("list.txt"));
  EXPECT_EQ(ReadWholeFile(m.Dir.File("list.txt")),
            "   1,    2, /t/1.jpg\r\n   1,    3, /t/2.jpg\r\n   2,    2, \r\n   2,    3, /t/0.jpg\r\n");
  std::atomic<bool> stop{false};
  RenderCallbacks cb;
  cb.StopRequested = &stop;
  cb.OnProgress = [&](int64_t done, int64_t) { stop = done == 3; };
  out = SaveText(m.Dir.File("list.txt"), m.Source(), WholeGrid(3, 2), cb);
  EXPECT_TRUE(out.Stopped);
  EXPECT_EQ(ReadWholeFile(m.Dir.File("list.txt")),
            "   1,    1, /t/0.jpg\r\n   1,    2, /t/1.jpg\r\n   1,    3, /t/2.jpg\r\n");
}

std::string ReportHead(const std::string& summary) {
  return "\r\n" + summary + std::string(51 - summary.size(), ' ') + "\r\nMosaic picture tiles statistic:\r\n" +
         std::string(51, ' ') +
         "\r\n\r\n(H): Horisontal flip; (V): Vertical flip; (R):180 rotated\r\n"
         "Times used          File Name          Tile positions Col x Row (Flip)\r\n";
}

TEST(StatisticReport, GroupsSortedByNameWithFlipMarkers) {
  // Cells a, b, a, empty, A, b: a twice, b twice (one flipped), A once.
  std::vector<TestCell> cells(6);
  const char* names[] = {"a", "b", "a", "", "A", "b"};
  for (int i = 0; i < 6; ++i) {
    cells[size_t(i)].Name = names[i];
    cells[size_t(i)].Crop = Rect{0, 0, 40, 30};
  }
  cells[5].Crop = Rect{40, 0, 0, 30};  // horizontal flip
  cells[2].Crop = Rect{40, 30, 0, 0};  // half turn
  TestMosaic m(2, 3, cells);
  const std::string file = m.Dir.File("stat.txt");
  EXPECT_EQ(SaveStatisticReport(file, m.Mosaic, 2), 3);
  EXPECT_EQ(ReadWholeFile(file), ReportHead("3 unique pictures were used.") +
                                     "   1, A ,  1x3 \r\n"
                                     "   2, a ,  1x1  1x2(R) \r\n"
                                     "   2, b ,  2x1  2x3(H) \r\n");
  EXPECT_EQ(FlipMarker(0, 30, 40, 0), "(V)");

  // Cells erased back to the source picture carry a blank name: not a picture either.
  std::vector<TestCell> empty(4);
  empty[1].Name = "  ";
  TestMosaic none(2, 2, empty);
  EXPECT_EQ(SaveStatisticReport(file, none.Mosaic, 2), 0);
  EXPECT_EQ(ReadWholeFile(file), ReportHead("0 unique pictures were used."));
}

}  // namespace
