#include "output/HtmlExport.h"

#include <filesystem>
#include <set>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/JpegCodec.h"
#include "output/HtmlText.h"

namespace qv {

namespace {

constexpr const char* kCrLf = "\r\n";

std::string PageHead() {
  std::string s;
  s += "<HTML>";
  s += "<HEAD>";
  s += "<META NAME=\"description\" CONTENT=\"Mosaic image gallery\">";
  s += std::string("<META NAME=\"creator\" CONTENT=\"Quivara v.2 - ") + kProductUrl + "\">";
  s += "<TITLE>Mosaic image gallery</TITLE>";
  s += "</HEAD>";
  s += "<BODY BACKGROUND=\"\" BGCOLOR=\"#00008B\" TEXT=\"#ffff80\" LINK=\"#FFFF80\" VLINK=\"#C0C0C0\" "
       "ALINK=\"#ff0000\">";
  s += "<TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">";
  s += kCrLf;
  return s;
}

}  // namespace

WriteOutcome SaveHTML(const std::string& fileName, const RenderSource& source, const RenderSettings& settings,
                      const RenderArea& area, const RenderCallbacks& cb) {
  ClearStopRequest(cb);
  const std::string page = ChangeFileExt(fileName, ".html");
  const std::filesystem::path folder = ExtractFileDir(page).empty() ? "." : ExtractFileDir(page);
  const std::filesystem::path tmb = folder / "tmb", big = folder / "big";

  AtomicFileWriter out(page);
  out.Write(PageHead());
  std::error_code ec;
  std::filesystem::create_directories(tmb, ec);  // a folder that cannot be made is skipped
  std::filesystem::create_directories(big, ec);

  RenderSettings st = settings;
  st.UseOriginals = false;  // small pictures always come from the stored pictures
  st.BorderLeft = st.BorderTop = st.BorderRight = st.BorderBottom = 0;
  st.GridWidth = 0;

  std::set<std::string> copied;
  int unwritten = 0;  // small pictures and copies that could not be written
  std::string firstError;
  bool rowOpen = false;
  RenderResult run = RenderCells(source, st, area, cb, [&](const RenderedCell& cell) {
    if (cell.AreaCol == 0) {
      out.Write(std::string("<tr align=center>") + kCrLf);
      rowOpen = true;
    }
    const std::string small = CellFileName(cell.Row, cell.Col, cell.TileName, ".jpg");
    const std::string bare = ExtractFileName(cell.TileName);
    // Names go into the links percent-encoded, so that every link leads to the file it names.
    out.Write("<td><a href=\"" + HtmlEscape("big/" + UrlPathSegment(bare)) +
              "\" target=\"_blank\"><img border=\"0\" src=\"" + HtmlEscape("tmb/" + UrlPathSegment(small)) + "\"></a>");
    // A picture that cannot be written does not end the run (the page still refers to it);
    // the run says so at its end.
    try {
      SaveJpegFile((tmb / small).string(), cell.Picture, 90);
    } catch (const std::exception& e) {
      if (unwritten++ == 0) firstError = e.what();
    }
    if (!bare.empty() && copied.insert(cell.TileName).second && FileExists(cell.TileName)) {
      try {
        CopyFileAtomically(cell.TileName, (big / bare).string());
      } catch (const std::exception& e) {
        if (unwritten++ == 0) firstError = e.what();
      }
    }
    out.Write("</td>");
    if (cell.AreaCol == area.Cols - 1) {
      out.Write(std::string("</tr>") + kCrLf);
      rowOpen = false;
    }
  });
  if (rowOpen) out.Write(std::string("</tr>") + kCrLf);
  out.Write(std::string("</table>") + kCrLf + "</BODY>" + kCrLf + "</HTML>" + kCrLf);
  out.Commit();
  if (unwritten > 0)
    throw EStreamError("The page " + page + " was saved, but " + std::to_string(unwritten) +
                       (unwritten == 1 ? " picture" : " pictures") +
                       " of the gallery could not be written: " + firstError);

  WriteOutcome result;
  result.Stopped = run.Stopped;
  result.Message = "Saved to " + page;
  ReportStatus(cb, result.Message);
  return result;
}

}  // namespace qv
