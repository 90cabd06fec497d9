// Example client: creates Zunda objects by ProgID and uses them late-bound.
var base = new ActiveXObject("Zunda.MxBaseInterface");
base.wstrLastErrorMessage = "Zunda is registered and answers.";
WScript.Echo("MxBaseInterface: " + base.wstrLastErrorMessage);
WScript.Echo("boRaiseErrors after writing 5: " + (base.boRaiseErrors = 5, base.boRaiseErrors));
