#include "ui/win32/details_window.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "i18n/translation.h"
#include "ui/core/window_layout.h"
#include "ui/win32/child_control.h"
#include "ui/win32/program_icon.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"VostrelDetailsWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;

// The design, in twips: the client area when the window opens, as wide as
// the main window's; the fields in rows of a caption and a read-only box;
// each export's caption over its text. The texts take what height is left,
// the level description three shares of five.
constexpr float kClientWidth = layout::kClientWidth;
constexpr float kClientHeight = 7500;
constexpr float kMargin = 120;
constexpr float kCaptionWidth = 1200;
constexpr float kFieldHeight = 285;
constexpr float kFieldPitch = 330;
constexpr float kProblemHeight = 420;  // two lines: a long path or reason wraps
constexpr float kProblemPitch = 465;
constexpr float kTextCaptionHeight = 255;
constexpr float kTextGap = 90;
constexpr std::array<float, 3> kTextShares{1, 1, 3};

// The texts are shown by rich edit controls: the edit control wraps a long
// paragraph in time that grows with its square (Wine took a minute for
// 256 KB), where a text may run to a megabyte.
constexpr wchar_t kRichEditLibrary[] = L"Msftedit.dll";

// A text handed to a rich edit control a piece at a time, as plain UTF-16:
// a text streamed in this way is never taken for RTF, whatever it begins with.
struct StreamedText {
  std::wstring_view text;
  std::size_t given = 0;
};

DWORD CALLBACK GivePiece(DWORD_PTR cookie, LPBYTE buffer, LONG bytes, LONG* given) {
  auto& streamed = *reinterpret_cast<StreamedText*>(cookie);
  const std::size_t characters =
      std::min(static_cast<std::size_t>(std::max<LONG>(bytes, 0)) / sizeof(wchar_t), streamed.text.size() - streamed.given);
  std::memcpy(buffer, streamed.text.data() + streamed.given, characters * sizeof(wchar_t));
  streamed.given += characters;
  *given = static_cast<LONG>(characters * sizeof(wchar_t));
  return 0;
}

void SetPlainText(HWND richEdit, std::wstring_view text) {
  StreamedText streamed{text};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&streamed);
  stream.pfnCallback = &GivePiece;
  ::SendMessageW(richEdit, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace

DetailsWindow::DetailsWindow(HINSTANCE instance, HWND owner, const MissionDetails& details, float dpiX, float dpiY)
    : dpiX_(dpiX), dpiY_(dpiY), richEdit_(::LoadLibraryW(kRichEditLibrary)) {
  if (!richEdit_) throw std::runtime_error("cannot load the rich edit control");
  RegisterWindowClass(instance, kWindowClass, ProgramIcon(instance, IconSize::kLarge),
                      ProgramIcon(instance, IconSize::kSmall));
  RECT frame{0, 0, layout::TwipsToPixels(kClientWidth, dpiX_), layout::TwipsToPixels(kClientHeight, dpiY_)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  CreateBound(instance, kWindowClass, Widen(details.file).c_str(), kWindowStyle, kWindowExStyle,
              frame.right - frame.left, frame.bottom - frame.top, owner);
  CreateControls(details);
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  Fit(client.right, client.bottom);
  // Once placed: a text given to a control of no width is wrapped a
  // character a line, and again when it is placed.
  for (std::size_t i = 0; i < details.exports.size(); ++i) {
    SetPlainText(exportTexts_[i], WithCrLf(Widen(details.exports[i].text)));
  }
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
}

DetailsWindow::~DetailsWindow() {
  if (IsOpen()) ::DestroyWindow(hwnd());
}

// Escape and Tab are taken here, before the dialog keys: a rich edit control
// wants every key, and only some systems' pass those two on in a dialog.
bool DetailsWindow::PreTranslateMessage(MSG& message) {
  if (!IsOpen() || (message.hwnd != hwnd() && !::IsChild(hwnd(), message.hwnd))) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    ::DestroyWindow(hwnd());
    return true;
  }
  const bool inText = std::find(exportTexts_.begin(), exportTexts_.end(), message.hwnd) != exportTexts_.end();
  if (inText && message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
    ::SetFocus(::GetNextDlgTabItem(hwnd(), message.hwnd, ::GetKeyState(VK_SHIFT) < 0));
    return true;
  }
  return ::IsDialogMessageW(hwnd(), &message) != FALSE;
}

void DetailsWindow::CreateControls(const MissionDetails& details) {
  const auto create = [this](int id, const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle) {
    const HWND control = CreateControl(hwnd(), id, className, text.c_str(), style, exStyle);
    SetDefaultGuiFont(control);
    return control;
  };
  const std::array<std::string_view, 4> captions{kPathCaption, kSizeCaption, kModifiedCaption, kCodePageCaption};
  const std::array<const std::string*, 4> values{&details.path, &details.size, &details.modified, &details.codePage};
  // Created in tab order: each caption before its box.
  for (std::size_t i = 0; i < captions.size(); ++i) {
    fieldCaptions_[i] = create(-1, L"STATIC", Widen(Translated(captions[i])), SS_NOPREFIX, 0);
    fields_[i] = create(kFirstFieldId + static_cast<int>(i), L"EDIT", Widen(*values[i]),
                        WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, 0);
  }
  if (!details.problem.empty()) {
    // Said once, over the texts, not as a text of the mission's.
    problem_ = create(kProblemId, L"STATIC", Widen(details.problem), SS_NOPREFIX | SS_LEFT, 0);
  }
  for (std::size_t i = 0; i < details.exports.size(); ++i) {
    const MissionDetails::Export& shown = details.exports[i];
    // "MapName — 4096 (0x1000)"
    exportCaptions_[i] = create(-1, L"STATIC", Widen(shown.name + " \xE2\x80\x94 " + shown.offset), SS_NOPREFIX, 0);
    // Word-wrapped (no horizontal scrolling), plain text, of any length.
    exportTexts_[i] = create(kFirstExportTextId + static_cast<int>(i), MSFTEDIT_CLASS, L"",
                             WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE);
    ::SendMessageW(exportTexts_[i], EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    ::SendMessageW(exportTexts_[i], EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  }
}

void DetailsWindow::Fit(int clientWidth, int clientHeight) {
  const float width = layout::PixelsToTwips(clientWidth, dpiX_);
  const float height = layout::PixelsToTwips(clientHeight, dpiY_);
  const float inner = std::max(width - 2 * kMargin, 0.0f);
  const float fieldWidth = std::max(inner - kCaptionWidth, 0.0f);
  float top = kMargin;
  for (std::size_t i = 0; i < fields_.size(); ++i, top += kFieldPitch) {
    PlaceInTwips(fieldCaptions_[i], {kMargin, top, std::min(kCaptionWidth, inner), kFieldHeight}, dpiX_, dpiY_);
    PlaceInTwips(fields_[i], {kMargin + kCaptionWidth, top, fieldWidth, kFieldHeight}, dpiX_, dpiY_);
  }
  if (problem_ != nullptr) {
    PlaceInTwips(problem_, {kMargin, top, inner, kProblemHeight}, dpiX_, dpiY_);
    top += kProblemPitch;
  }
  const float shares = kTextShares[0] + kTextShares[1] + kTextShares[2];
  const float textsHeight =
      std::max(height - top - kMargin - static_cast<float>(exportTexts_.size()) * (kTextGap + kTextCaptionHeight), 0.0f);
  for (std::size_t i = 0; i < exportTexts_.size(); ++i) {
    top += kTextGap;
    PlaceInTwips(exportCaptions_[i], {kMargin, top, inner, kTextCaptionHeight}, dpiX_, dpiY_);
    top += kTextCaptionHeight;
    const float textHeight = textsHeight * kTextShares[i] / shares;
    PlaceInTwips(exportTexts_[i], {kMargin, top, inner, textHeight}, dpiX_, dpiY_);
    top += textHeight;
  }
}

LRESULT DetailsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      // Not before the controls exist, nor when minimised.
      if (exportTexts_.back() != nullptr && wParam != SIZE_MINIMIZED) Fit(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) RememberFocus();
      break;
    case WM_SETFOCUS:
      // The level description first: what the window is opened to read.
      RestoreFocus(exportTexts_.back());
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace vostrel::win32
