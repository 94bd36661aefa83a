#include "AnswerCommands.hpp"

#include "CommandArguments.hpp"

namespace velmora::host::handlers {

Outcome Answer(CommandContext& s, const Command& c)
{
    long button = 0;
    if (!ParseNumber(c.args[0], 1, 3, &button))
        return BadUsage(s, c);
    s.PresetAlertAnswer(static_cast<Int16>(button));
    return Outcome::Done;
}

Outcome File(CommandContext& s, const Command& c)
{
    if (c.name == "file") {
        const std::string problem = s.PathProblem(c.args[0]);
        if (!problem.empty())
            return s.Fail(c, problem);
    }
    s.PresetFileAnswer(c.name == "file" ? c.args[0] : std::string());
    return Outcome::Done;
}

} // namespace velmora::host::handlers
