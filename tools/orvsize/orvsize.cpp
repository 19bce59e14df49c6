#include "orvsize/orvsize.h"

#include "common/tool_text.h"
#include "orvsize/size_table.h"

namespace orvsize {
namespace {

const char* const USAGE =
    "usage: orvsize [OPTIONS] REPORT.json              sizes from a link report, largest first\n"
    "       orvsize diff [OPTIONS] OLD.json NEW.json   the changes between two link reports,\n"
    "                                                  largest first\n"
    "       orvsize --help | --version\n"
    "options:\n"
    "  --by=region|section|library|module|function   the grouping (region when not given)\n"
    "  --format=text|csv|markdown|json               the output format (text when not given)\n"
    "  --all                                         diff: list unchanged rows too\n"
    "  --budget=REGION:SIZE                          fail when REGION uses more than SIZE bytes\n"
    "                                                (or SIZE% of the region); repeatable\n"
    "exit status: 0 done, 1 a budget is exceeded, 2 wrong usage or a region no report has,\n"
    "3 a report could not be read, is not a link report or is of another version\n";

constexpr int DONE = 0, OVER_BUDGET = 1, USAGE_ERROR = 2, BAD_INPUT = 3;

struct Request {
    bool diff = false;
    bool all = false;
    Grouping by = Grouping::REGION;
    Format format = Format::TEXT;
    std::vector<Budget> budgets;
    std::vector<std::string> reports;
};

bool option_value(const std::string& arg, const char* name, std::string& value) {
    const std::string prefix = std::string(name) + "=";
    if (arg.rfind(prefix, 0) != 0) return false;
    value = arg.substr(prefix.size());
    return true;
}

class Program {
public:
    Program(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

    int usage(const std::string& problem) {
        std::fprintf(err_, "orvsize: %s\n%s", orvtool::console_text(problem).c_str(), USAGE);
        return USAGE_ERROR;
    }

    int run(const Request& request) {
        std::vector<LinkReport> reports;
        for (const std::string& path : request.reports) {
            std::string text;
            if (!orvtool::read_whole_file(path, text)) return failed(BAD_INPUT, "cannot read " + path);
            try {
                reports.push_back(read_link_report(text));
            } catch (const ReportError& error) {
                return failed(BAD_INPUT, path + ": " + error.what());
            }
        }
        const LinkReport& newest = reports.back();
        std::vector<BudgetCheck> budgets;
        try {
            budgets = check_budgets(newest, request.budgets);
        } catch (const ReportError& error) {
            return failed(USAGE_ERROR, request.reports.back() + ": " + error.what());
        }
        const std::string output =
            request.diff ? diff_output(reports[0], reports[1], request.by, request.all, budgets, request.format)
                         : size_output(newest, request.by, budgets, request.format);
        std::fputs(output.c_str(), out_);
        int status = DONE;
        for (const BudgetCheck& check : budgets) {
            if (!check.breached()) continue;
            std::fprintf(err_, "orvsize: region %s uses %lld bytes, over its budget of %lld bytes (%s)\n",
                         orvtool::console_text(check.budget.region).c_str(), static_cast<long long>(check.used),
                         static_cast<long long>(check.limit), orvtool::console_text(check.budget.text).c_str());
            status = OVER_BUDGET;
        }
        return status;
    }

private:
    int failed(int status, const std::string& message) {
        std::fprintf(err_, "orvsize: %s\n", orvtool::console_text(message).c_str());
        return status;
    }

    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace

int run_orvsize(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(USAGE, out);
        return DONE;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::fputs("orvsize " ORV_VERSION_TEXT "\n", out);
        return DONE;
    }
    Program program(out, err);
    Request request;
    std::size_t first = 0;
    if (!args.empty() && args[0] == "diff") {
        request.diff = true;
        first = 1;
    }
    static const char* const GROUPINGS[] = {"region", "section", "library", "module", "function"};
    static const char* const FORMATS[] = {"text", "csv", "markdown", "json"};
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (option_value(arg, "--by", value)) {
            int found = -1;
            for (int k = 0; k < 5; ++k) found = value == GROUPINGS[k] ? k : found;
            if (found < 0) return program.usage("unknown grouping " + value);
            request.by = Grouping(found);
        } else if (option_value(arg, "--format", value)) {
            int found = -1;
            for (int k = 0; k < 4; ++k) found = value == FORMATS[k] ? k : found;
            if (found < 0) return program.usage("unknown format " + value);
            request.format = Format(found);
        } else if (option_value(arg, "--budget", value)) {
            std::optional<Budget> budget = parse_budget(value);
            if (!budget) return program.usage("a budget is REGION:BYTES or REGION:PERCENT%, not " + value);
            request.budgets.push_back(*budget);
        } else if (arg == "--all" && request.diff) {
            request.all = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return program.usage("unknown option " + arg);
        } else {
            request.reports.push_back(arg);
        }
    }
    if (request.reports.size() != (request.diff ? 2u : 1u)) {
        return program.usage(request.diff ? "diff takes two reports" : "one report is read");
    }
    return program.run(request);
}

}  // namespace orvsize
