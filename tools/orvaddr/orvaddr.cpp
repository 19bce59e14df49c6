#include "orvaddr/orvaddr.h"

#include "common/tool_text.h"
#include "orvaddr/address_decoder.h"

namespace orvaddr {
namespace {

const char* const USAGE =
    "usage: orvaddr -e PROG.SYM [--json] [ADDRESS ...]   decode addresses (hexadecimal); without\n"
    "                                                    any, one a line from standard input\n"
    "       orvaddr -e PROG.SYM --scan [FILE ...]        copy a text (a crash log), decoding\n"
    "                                                    every address in it\n"
    "       orvaddr --help | --version\n"
    "Each address gives: address, function+offset, source file:line, module, section+offset\n"
    "into the unit; ?? for what is not known.\n"
    "exit status: 0 done, 1 the symbol file or a text could not be read or is no symbol file,\n"
    "2 wrong usage or an address that is not a hexadecimal number\n";

constexpr int DONE = 0, FAILED = 1, USAGE_ERROR = 2;

struct Request {
    std::string symbol_file;
    bool json = false;
    bool scan = false;
    std::vector<std::string> operands;
};

bool read_stream(std::FILE* in, std::string& text) {
    char buffer[65536];
    std::size_t count;
    text.clear();
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, count);
    return std::ferror(in) == 0;
}

class Program {
public:
    Program(std::FILE* in, std::FILE* out, std::FILE* err) : in_(in), out_(out), err_(err) {}

    int run(const Request& request) {
        std::string text;
        if (!orvtool::read_whole_file(request.symbol_file, text)) {
            return failed("cannot read " + request.symbol_file);
        }
        try {
            file_ = read_symbol_file(text);
        } catch (const SymbolFileError& error) {
            return failed(request.symbol_file + ": not a symbol file: " + error.what());
        }
        AddressDecoder decoder(file_);
        return request.scan ? scan(decoder, request) : addresses(decoder, request);
    }

private:
    int failed(const std::string& message) {
        std::fprintf(err_, "orvaddr: %s\n", orvtool::console_text(message).c_str());
        return FAILED;
    }

    int scan(const AddressDecoder& decoder, const Request& request) {
        std::string text;
        if (request.operands.empty()) {
            if (!read_stream(in_, text)) return failed("cannot read standard input");
            std::fputs(scan_text(decoder, text).c_str(), out_);
        }
        for (const std::string& path : request.operands) {
            if (!orvtool::read_whole_file(path, text)) return failed("cannot read " + path);
            std::fputs(scan_text(decoder, text).c_str(), out_);
        }
        return DONE;
    }

    int addresses(const AddressDecoder& decoder, const Request& request) {
        int status = DONE;
        auto one = [&](const std::string& word) {
            std::optional<uint32_t> address = parse_address(word);
            if (!address) {
                std::fprintf(err_, "orvaddr: not a hexadecimal address: %s\n",
                             orvtool::console_text(word).c_str());
                status = USAGE_ERROR;
                return;
            }
            const Decoded decoded = decoder.decode(*address);
            std::fprintf(out_, "%s\n", (request.json ? decoded_json(decoded) : decoded_text(decoded)).c_str());
        };
        if (!request.operands.empty()) {
            for (const std::string& word : request.operands) one(word);
            return status;
        }
        std::string text;
        if (!read_stream(in_, text)) return failed("cannot read standard input");
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.erase(0, 1);
            if (!line.empty()) one(line);
            at = end + 1;
        }
        return status;
    }

    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
    SymbolFile file_;
};

}  // namespace

int run_orvaddr(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err) {
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(USAGE, out);
        return DONE;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::fputs("orvaddr " ORV_VERSION_TEXT "\n", out);
        return DONE;
    }
    Request request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-e" && i + 1 < args.size()) {
            request.symbol_file = args[++i];
        } else if (arg.rfind("--exe=", 0) == 0) {
            request.symbol_file = arg.substr(6);
        } else if (arg == "--json") {
            request.json = true;
        } else if (arg == "--scan") {
            request.scan = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(err, "orvaddr: unknown option %s\n%s", orvtool::console_text(arg).c_str(), USAGE);
            return USAGE_ERROR;
        } else {
            request.operands.push_back(arg);
        }
    }
    if (request.symbol_file.empty() || (request.json && request.scan)) {
        std::fputs(USAGE, err);
        return USAGE_ERROR;
    }
    return Program(in, out, err).run(request);
}

}  // namespace orvaddr
