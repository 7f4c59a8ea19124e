/* The Logo grammar. Instructions are not grouped with their inputs here:
   a statement is any expression, and the evaluator groups items by input
   counts while running. Only infix expressions, parenthesised calls and
   list literals are built into structures.

   Values are cells; each symbol listed under %destructor owns one
   reference, which the parser releases when it throws the symbol away.
   An action that abandons the reading releases its own right-hand side,
   because the parser does not reclaim the symbols of the rule whose action
   aborted. */

%code requires {
class CHandleData;
class ParserDriver;
}

%code {
#include "LogoCore/HandleData.h"
#include "LogoCore/ParserDriver.h"

/* Deeper nesting abandons the reading: the stack never grows. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 200

static int logo_lex(LOGO_STYPE* value, ParserDriver& d) {
    return d.ReadToken(value);
}

/* Syntax errors become Logo errors through the error rules; the parser's
   own texts ("syntax error", "memory exhausted") are never shown. */
static void logo_error(ParserDriver& d, const char*) {
    d.CountSyntaxError();
}
}

%define api.pure full
%define api.prefix {logo_}
%define api.value.type {CHandleData*}
%param {ParserDriver& d}
%expect 0

%token LINE_END 257
%token BAR_WORD 258
%token WORD 259
%token VARIABLE 260
%token QUOTED_WORD 261
%token NUMBER 262
%token LIST_WORD 263
%token OPENING_WORD 264
%token CLOSING_WORD 265
%token LESS_EQUAL 268
%token NOT_EQUAL 269
%token GREATER_EQUAL 270
%token READING_ERROR 271

%left '<' '>' '=' NOT_EQUAL LESS_EQUAL GREATER_EQUAL
%left '+' '-'
%left '*' '/'

%destructor { Release($$); } BAR_WORD WORD VARIABLE QUOTED_WORD NUMBER LIST_WORD
%destructor { Release($$); } OPENING_WORD CLOSING_WORD READING_ERROR
%destructor { Release($$); } expression list item arguments

%%

/* A text of blanks and comments alone is an empty program: it does nothing. */
program
    : %empty
    | program statement
    | program definition
    | error { d.StatementError(); YYABORT; }
    ;

statement
    : expression { if (!d.Emit($1)) YYABORT; }
    ;

definition
    : header body CLOSING_WORD { Release($3); d.EndDefinition(); }
    | header CLOSING_WORD { Release($2); d.EndDefinition(); }
    | header error { d.DefinitionError(); YYABORT; }
    | OPENING_WORD error { d.OpeningWordError($1); YYABORT; }
    | OPENING_WORD READING_ERROR { Release($1); d.Report($2); YYABORT; }
    ;

header
    : OPENING_WORD WORD LINE_END {
          const bool begun = d.BeginDefinition($2);
          Release($1);
          Release($2);
          if (!begun) YYABORT;
      }
    | OPENING_WORD WORD begin_inputs inputs LINE_END { Release($1); Release($2); }
    ;

begin_inputs
    : %empty { if (!d.BeginDefinition($0)) YYABORT; }
    ;

inputs
    : inputs QUOTED_WORD { if (!d.AddInput($2)) YYABORT; }
    | inputs VARIABLE { if (!d.AddInput($2)) YYABORT; }
    | QUOTED_WORD { if (!d.AddInput($1)) YYABORT; }
    | VARIABLE { if (!d.AddInput($1)) YYABORT; }
    | error { d.PlaceOpeningWordError(); YYABORT; }
    ;

body
    : body statement
    | statement
    ;

expression
    : expression '+' expression { if (!($$ = d.Infix(88, $1, $3))) YYABORT; }
    | expression '-' expression { if (!($$ = d.Infix(89, $1, $3))) YYABORT; }
    | expression '*' expression { if (!($$ = d.Infix(90, $1, $3))) YYABORT; }
    | expression '/' expression { if (!($$ = d.Infix(91, $1, $3))) YYABORT; }
    | expression '<' expression { if (!($$ = d.Infix(92, $1, $3))) YYABORT; }
    | expression '>' expression { if (!($$ = d.Infix(93, $1, $3))) YYABORT; }
    | expression '=' expression { if (!($$ = d.Infix(94, $1, $3))) YYABORT; }
    | expression NOT_EQUAL expression { if (!($$ = d.Infix(97, $1, $3))) YYABORT; }
    | expression LESS_EQUAL expression { if (!($$ = d.Infix(95, $1, $3))) YYABORT; }
    | expression GREATER_EQUAL expression { if (!($$ = d.Infix(96, $1, $3))) YYABORT; }
    | '(' expression arguments ')' { if (!($$ = d.Call($2, $3))) YYABORT; }
    | '(' expression ')' { $$ = $2; }
    | WORD
    | VARIABLE
    | QUOTED_WORD
    | BAR_WORD
    | NUMBER
    | READING_ERROR
    | list
    | '(' ')' { $$ = nullptr; d.PlaceError(-72, {")"}); YYABORT; }
    | '(' error { $$ = nullptr; d.PlaceError(-71, {")"}); YYABORT; }
    ;

begin_list
    : %empty { if (!d.BeginList()) YYABORT; }
    ;

list
    : '[' begin_list items ']' { if (!($$ = d.EndList())) YYABORT; }
    | '[' ']' { if (!($$ = d.EmptyList())) YYABORT; }
    ;

items
    : items item { if (!d.AddToList($2)) YYABORT; }
    | item { if (!d.AddToList($1)) YYABORT; }
    | error {
          d.AbandonList();
          d.PlaceError(-71, {"]"});
          YYABORT;
      }
    ;

item
    : LIST_WORD
    | list
    | READING_ERROR {
          $$ = nullptr;
          d.AbandonList();
          d.Place($1);
          YYABORT;
      }
    ;

arguments
    : arguments expression { if (!($$ = d.Argument($1, $2))) YYABORT; }
    | expression
    ;

%%

static_assert(LINE_END == kTokenLineEnd && BAR_WORD == kTokenBarWord && WORD == kTokenWord &&
              VARIABLE == kTokenVariable && QUOTED_WORD == kTokenQuotedWord &&
              NUMBER == kTokenNumber && LIST_WORD == kTokenListWord &&
              OPENING_WORD == kTokenOpeningWord && CLOSING_WORD == kTokenClosingWord &&
              LESS_EQUAL == kTokenLessEqual && NOT_EQUAL == kTokenNotEqual &&
              GREATER_EQUAL == kTokenGreaterEqual && READING_ERROR == kTokenReadingError,
              "the grammar and the tokenizer must agree on token codes");

int RunLogoGrammar(ParserDriver& driver) {
    return logo_parse(driver);
}
