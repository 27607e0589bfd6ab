// The open-file dialog's filter in each window system's own form.
#include "platform/ui/file_dialog.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

TEST(FileDialog, FiltersTakeTheWindowSystemsForm) {
#ifdef _WIN32
    // Description and patterns each ending in a zero, and one more zero at the end.
    constexpr wchar_t kHex[] = L"Hex File (*.hex)\0*.hex\0All Files (*.*)\0*.*\0\0";
    constexpr wchar_t kImages[] = L"Images\0*.png;*.bmp\0\0";
    EXPECT_EQ(CFileDialog::ConvertFilter(L"Hex File (*.hex)|*.hex|All Files (*.*)|*.*||"),
              std::wstring(kHex, std::size(kHex) - 1));
    EXPECT_EQ(CFileDialog::ConvertFilter(L"Images|*.png;*.bmp||"),
              std::wstring(kImages, std::size(kImages) - 1));
    EXPECT_EQ(CFileDialog::ConvertFilter(L""), std::wstring(1, L'\0'));
#else
    EXPECT_EQ(CFileDialog::ConvertFilter(L"Hex File (*.hex)|*.hex|All Files (*.*)|*.*||"),
              L"Hex File (*.hex);;All Files (*)");
    EXPECT_EQ(CFileDialog::ConvertFilter(L"Images|*.png;*.bmp||"), L"Images (*.png *.bmp)");
    EXPECT_EQ(CFileDialog::ConvertFilter(L""), L"");
#endif
}

}  // namespace
