#include "ui/fonts.h"

#include "ui/dpi.h"

namespace ui {

FontSet::~FontSet() {
  for (auto& entry : fonts_) DeleteObject(entry.second);
}

HFONT FontSet::Get(const std::string& face, int height) {
  auto key = std::make_pair(face, height);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  LOGFONTA lf = {};
  lf.lfHeight = Scale(height);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  fonts_[key] = font;
  return font;
}

}  // namespace ui
