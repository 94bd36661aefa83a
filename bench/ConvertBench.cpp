// ConvertText between the ANSI code page or UTF-8 and UTF-16, on 1 MiB of text,
// sized and converted the way TS_String does it (a size query, then the
// conversion), against one direct iconv call on the same input. After the table
// the run prints each ConvertText speed as a multiple of iconv's, measured side by
// side in the same run (the goal: at least 1.0 in both UTF-8 directions).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iconv.h>
#include <map>
#include <string>
#include <vector>

#include "core/TextEncoding.hpp"
#include "velmora/Platform.hpp"

using namespace velmora::core;

namespace {

constexpr std::size_t textSize = 1 << 20;

// Prose of the add-on's languages, repeated to 1 MiB (whole lines).
std::string Repeat(const std::string& paragraph)
{
    std::string text;
    while (text.size() + paragraph.size() <= textSize)
        text += paragraph;
    return text;
}

// Windows-1252: Italian, French, German and Spanish with their accents, quotes and the euro sign.
const std::string& AnsiText()
{
    static const std::string text =
        Repeat("La libreria \xE8 aggiornata: pi\xF9 di 300 oggetti, citt\xE0 e perch\xE9 \x93sempre\x94 "
               "disponibili.\r\n"
               "Les biblioth\xE8ques fran\xE7"
               "aises co\xFBtent 12\x80 \x96 d\xE9j\xE0 t\xE9l\xE9"
               "charg\xE9"
               "es.\r\n"
               "Gr\xFC\xDF"
               "e aus M\xFCnchen: \xC4nderungen f\xFCr \xD6sterreich und die Stra\xDF"
               "e.\r\n"
               "El a\xF1o pasado, \xBFqu\xE9 ocurri\xF3 con la versi\xF3n 19.0.4.2200? \xA1Nada!\r\n");
    return text;
}

// UTF-8: the same languages, with Russian and Japanese.
const std::string& Utf8Text()
{
    static const std::string text =
        Repeat("La libreria \xC3\xA8 aggiornata: pi\xC3\xB9 di 300 oggetti, citt\xC3\xA0 e perch\xC3\xA9.\r\n"
               "Gr\xC3\xBC\xC3\x9F"
               "e aus M\xC3\xBCnchen \xE2\x80\x93 12\xE2\x82\xAC f\xC3\xBCr \xC3\x96sterreich.\r\n"
               "\xD0\x91\xD0\xB8\xD0\xB1\xD0\xBB\xD0\xB8\xD0\xBE\xD1\x82\xD0\xB5\xD0\xBA\xD0\xB0 "
               "\xD0\xBE\xD0\xB1\xD0\xBD"
               "\xD0\xBE\xD0\xB2\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xB0 \xD0\xB4\xD0\xBE "
               "\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8"
               "\xD0\xB8 19.0.\r\n"
               "\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x96\xE3\x83\xA9\xE3\x83\xAA\xE3\x82\x92\xE6\x9B\xB4\xE6\x96"
               "\xB0\xE3\x81\x97"
               "\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82\r\n");
    return text;
}

std::u16string ToUnits(TextEncoding encoding, const std::string& text)
{
    const auto count = static_cast<Int32>(text.size());
    const Int32 size = ConvertText(encoding, text.data(), count, TextEncoding::Utf16LE, nullptr, 0, false);
    std::u16string units(static_cast<std::size_t>(size) / 2, u'\0');
    ConvertText(encoding, text.data(), count, TextEncoding::Utf16LE, units.data(), size, false);
    return units;
}

void ConvertToUtf16(benchmark::State& state, TextEncoding encoding, const std::string& text)
{
    const auto count = static_cast<Int32>(text.size());
    std::vector<char> target(text.size() * 2 + 2);
    for (auto _ : state) {
        const Int32 size = ConvertText(encoding, text.data(), count, TextEncoding::Utf16LE, nullptr, 0, true);
        benchmark::DoNotOptimize(
            ConvertText(encoding, text.data(), count, TextEncoding::Utf16LE, target.data(), size, true));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * count);
}

void ConvertFromUtf16(benchmark::State& state, TextEncoding encoding, const std::string& text)
{
    const std::u16string units = ToUnits(encoding, text);
    const auto bytes = static_cast<Int32>(units.size() * 2);
    std::vector<char> target(text.size() + 1);
    for (auto _ : state) {
        const Int32 size =
            ConvertText(TextEncoding::Utf16LE, units.data(), bytes, encoding, nullptr, 0, true);
        benchmark::DoNotOptimize(
            ConvertText(TextEncoding::Utf16LE, units.data(), bytes, encoding, target.data(), size, true));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// One iconv call over the whole input into a large enough buffer.
void Iconv(benchmark::State& state, const char* to, const char* from, const char* input,
           std::size_t inputBytes, std::size_t outputBytes, std::size_t textBytes)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::vector<char> target(outputBytes);
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        std::size_t left = inputBytes;
        char* out = target.data();
        std::size_t room = target.size();
        benchmark::DoNotOptimize(iconv(cd, &in, &left, &out, &room));
        benchmark::ClobberMemory();
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(textBytes));
}

void BM_ConvertText_AnsiToUtf16(benchmark::State& state)
{
    ConvertToUtf16(state, TextEncoding::Ansi, AnsiText());
}

void BM_ConvertText_Utf16ToAnsi(benchmark::State& state)
{
    ConvertFromUtf16(state, TextEncoding::Ansi, AnsiText());
}

void BM_ConvertText_Utf8ToUtf16(benchmark::State& state)
{
    ConvertToUtf16(state, TextEncoding::Utf8, Utf8Text());
}

void BM_ConvertText_Utf16ToUtf8(benchmark::State& state)
{
    ConvertFromUtf16(state, TextEncoding::Utf8, Utf8Text());
}

void BM_Iconv_Cp1252ToUtf16(benchmark::State& state)
{
    const std::string& text = AnsiText();
    Iconv(state, "UTF-16LE", "CP1252", text.data(), text.size(), text.size() * 2 + 16, text.size());
}

void BM_Iconv_Utf16ToCp1252(benchmark::State& state)
{
    const std::string& text = AnsiText();
    const std::u16string units = ToUnits(TextEncoding::Windows1252, text);
    Iconv(state, "CP1252", "UTF-16LE", reinterpret_cast<const char*>(units.data()), units.size() * 2,
          text.size() + 16, text.size());
}

void BM_Iconv_Utf8ToUtf16(benchmark::State& state)
{
    const std::string& text = Utf8Text();
    Iconv(state, "UTF-16LE", "UTF-8", text.data(), text.size(), text.size() * 2 + 16, text.size());
}

void BM_Iconv_Utf16ToUtf8(benchmark::State& state)
{
    const std::string& text = Utf8Text();
    const std::u16string units = ToUnits(TextEncoding::Utf8, text);
    Iconv(state, "UTF-8", "UTF-16LE", reinterpret_cast<const char*>(units.data()), units.size() * 2,
          text.size() + 16, text.size());
}

// The console table, then each ConvertText speed over iconv's on the same text.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto found = run.counters.find("bytes_per_second");
            if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
                speeds[run.benchmark_name()] = found->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const char* const pairs[][3] = {
            {"ANSI to UTF-16", "BM_ConvertText_AnsiToUtf16", "BM_Iconv_Cp1252ToUtf16"},
            {"UTF-16 to ANSI", "BM_ConvertText_Utf16ToAnsi", "BM_Iconv_Utf16ToCp1252"},
            {"UTF-8 to UTF-16", "BM_ConvertText_Utf8ToUtf16", "BM_Iconv_Utf8ToUtf16"},
            {"UTF-16 to UTF-8", "BM_ConvertText_Utf16ToUtf8", "BM_Iconv_Utf16ToUtf8"},
        };
        for (const auto& pair : pairs) {
            const auto ours = speeds.find(pair[1]);
            const auto theirs = speeds.find(pair[2]);
            if (ours != speeds.end() && theirs != speeds.end() && theirs->second > 0)
                std::printf("ConvertText / iconv, %-16s %.2f\n", pair[0], ours->second / theirs->second);
        }
    }

private:
    std::map<std::string, double> speeds;
};

} // namespace

BENCHMARK(BM_ConvertText_AnsiToUtf16);
BENCHMARK(BM_Iconv_Cp1252ToUtf16);
BENCHMARK(BM_ConvertText_Utf16ToAnsi);
BENCHMARK(BM_Iconv_Utf16ToCp1252);
BENCHMARK(BM_ConvertText_Utf8ToUtf16);
BENCHMARK(BM_Iconv_Utf8ToUtf16);
BENCHMARK(BM_ConvertText_Utf16ToUtf8);
BENCHMARK(BM_Iconv_Utf16ToUtf8);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
