#pragma once

// A private drive root for each store test: a fresh temporary directory that LUMBRE_UNIDADES points at
// while the test runs, so "C:\..." resolves to <temporary>/c/... and no test touches the user's store.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace prueba {

namespace fs = std::filesystem;

class ConUnidades : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("LUMBRE_UNIDADES"))
            anterior_ = v;
        std::string plantilla = (fs::temp_directory_path() / "lumbre-store-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        raiz_ = plantilla;
        ::setenv("LUMBRE_UNIDADES", raiz_.c_str(), 1);
        fs::create_directories(raiz_ / "c");
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(raiz_, ec);
        if (anterior_)
            ::setenv("LUMBRE_UNIDADES", anterior_->c_str(), 1);
        else
            ::unsetenv("LUMBRE_UNIDADES");
    }

    // The native directory standing for drive C:.
    fs::path c() const { return raiz_ / "c"; }

    // Writes raw bytes at a native path, creating its parent directories.
    static void escribir(const fs::path& nativa, std::string_view bytes) {
        fs::create_directories(nativa.parent_path());
        std::ofstream f(nativa, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Raw bytes of a native file, or nothing when it cannot be opened.
    static std::optional<std::string> leer(const fs::path& nativa) {
        std::ifstream f(nativa, std::ios::binary);
        if (!f)
            return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    // The names in a native directory, sorted.
    static std::vector<std::string> nombres(const fs::path& dir) {
        std::vector<std::string> r;
        for (const auto& e : fs::directory_iterator(dir))
            r.push_back(e.path().filename().string());
        std::sort(r.begin(), r.end());
        return r;
    }

    fs::path raiz_;

private:
    std::optional<std::string> anterior_;
};

} // namespace prueba
