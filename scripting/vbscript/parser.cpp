#include "parser.h"

#include <algorithm>

namespace lumetrix::vbs {

using namespace ast;

namespace {

class Parser {
 public:
  explicit Parser(std::string_view source) : toks_(Tokenize(source)), chunk_(std::make_unique<Chunk>()) {}

  std::unique_ptr<Chunk> run() {
    while (true) {
      skipSeparators();
      if (at(Tok::End)) break;
      topLevelItem();
    }
    return std::move(chunk_);
  }

 private:
  // ---- token helpers
  const Token& cur() const { return toks_[pos_]; }
  const Token& peek(size_t k = 1) const { return toks_[std::min(pos_ + k, toks_.size() - 1)]; }
  bool at(Tok k) const { return cur().kind == k; }
  bool atKw(Kw k) const { return cur().kind == Tok::Ident && cur().kw == k; }
  bool peekKw(size_t n, Kw k) const { return peek(n).kind == Tok::Ident && peek(n).kw == k; }
  void next() {
    if (pos_ + 1 < toks_.size()) ++pos_;
  }
  [[noreturn]] void fail(int32_t num) const { throw SourceError(num, cur().line, cur().column); }
  [[noreturn]] void failAt(int32_t num, const Token& t) const { throw SourceError(num, t.line, t.column); }
  void expectKw(Kw k, int32_t num) {
    if (!atKw(k)) fail(num);
    next();
  }
  void expect(Tok k, int32_t num) {
    if (!at(k)) fail(num);
    next();
  }
  bool endOfStatement() const { return at(Tok::Newline) || at(Tok::Colon) || at(Tok::End); }
  void skipSeparators() {
    while (at(Tok::Newline) || at(Tok::Colon)) next();
  }
  // After a statement: a separator must follow.
  void endStatement() {
    // Inside a one-line If, its Else or a closing `End If` also ends a statement.
    if (inlineIf_ > 0 && (atKw(Kw::Else) || (atKw(Kw::End) && peekKw(1, Kw::If)))) return;
    // `x = 1 End Sub`: a procedure's end may follow its last statement on the same line.
    if (inProc_ && atProcEnd()) return;
    if (!endOfStatement()) fail(err::ExpectedEndOfStatement);
  }
  bool atProcEnd() const {
    return atKw(Kw::End) && (peekKw(1, Kw::Sub) || peekKw(1, Kw::Function) || peekKw(1, Kw::Property));
  }
  // `Property` starts a declaration only when Get, Let or Set follows; elsewhere it is a name.
  bool atPropertyDecl() const {
    return atKw(Kw::Property) && (peekKw(1, Kw::Get) || peekKw(1, Kw::Let) || peekKw(1, Kw::Set));
  }
  // Words that are keywords only in some places and otherwise ordinary names (`Dim step`).
  static bool softKeyword(Kw k) {
    return k == Kw::Error || k == Kw::Explicit || k == Kw::Step || k == Kw::Default || k == Kw::Property;
  }
  bool atName() const { return at(Tok::Ident) && (cur().kw == Kw::None || softKeyword(cur().kw)); }
  std::string identifier() {
    if (!atName()) fail(err::ExpectedIdentifier);
    std::string s = cur().text;
    next();
    return s;
  }
  // Any name after a dot, keywords included (Err.Raise, obj.End, ...).
  std::string memberName() {
    if (!at(Tok::Ident)) fail(err::ExpectedIdentifier);
    std::string s = cur().text;
    next();
    return s;
  }

  struct Nest {
    Parser& p;
    explicit Nest(Parser& parser) : p(parser) {
      if (++p.nesting_ > kMaxParseNesting) p.fail(err::OutOfStack);
    }
    ~Nest() { --p.nesting_; }
  };

  Expr* node(ExprKind k, const Token& t) { return chunk_->newExpr(k, t.line, t.column); }
  void setDepth(Expr* e, std::initializer_list<const Expr*> kids) {
    int d = 0;
    for (const Expr* k : kids)
      if (k) d = std::max(d, k->depth);
    e->depth = d + 1;
    if (e->depth > kMaxExpressionDepth) throw SourceError(err::OutOfStack, e->line, e->column);
  }

  // ---- expressions
  Expr* expression() { return binary(1); }

  static int precedence(const Token& t, BinaryOp& bop, int& cls, CompareOp& cop) {
    cls = 0;
    switch (t.kind) {
      case Tok::Caret: bop = BinaryOp::Pow; return 14;
      case Tok::Star: bop = BinaryOp::Mul; return 12;
      case Tok::Slash: bop = BinaryOp::Div; return 12;
      case Tok::Backslash: bop = BinaryOp::IntDiv; return 11;
      case Tok::Plus: bop = BinaryOp::Add; return 9;
      case Tok::Minus: bop = BinaryOp::Sub; return 9;
      case Tok::Amp: bop = BinaryOp::Concat; return 8;
      case Tok::Eq: cls = 1; cop = CompareOp::Eq; return 7;
      case Tok::Ne: cls = 1; cop = CompareOp::Ne; return 7;
      case Tok::Lt: cls = 1; cop = CompareOp::Lt; return 7;
      case Tok::Gt: cls = 1; cop = CompareOp::Gt; return 7;
      case Tok::Le: cls = 1; cop = CompareOp::Le; return 7;
      case Tok::Ge: cls = 1; cop = CompareOp::Ge; return 7;
      case Tok::Ident:
        switch (t.kw) {
          case Kw::Mod: bop = BinaryOp::Mod; return 10;
          case Kw::Is: cls = 2; return 7;
          case Kw::And: bop = BinaryOp::And; return 5;
          case Kw::Or: bop = BinaryOp::Or; return 4;
          case Kw::Xor: bop = BinaryOp::Xor; return 3;
          case Kw::Eqv: bop = BinaryOp::Eqv; return 2;
          case Kw::Imp: bop = BinaryOp::Imp; return 1;
          default: return 0;
        }
      default:
        return 0;
    }
  }

  Expr* binary(int minPrec, Expr* left = nullptr) {
    Nest guard(*this);
    if (!left) left = unaryOperand();
    while (true) {
      BinaryOp bop{};
      CompareOp cop{};
      int cls;
      int prec = precedence(cur(), bop, cls, cop);
      if (prec == 0 || prec < minPrec) break;
      const Token op = cur();
      next();
      Expr* right = binary(prec + 1);
      Expr* e;
      if (cls == 1) {
        e = node(ExprKind::Compare, op);
        e->compare = cop;
      } else if (cls == 2) {
        e = node(ExprKind::Is, op);
      } else {
        e = node(ExprKind::Binary, op);
        e->binary = bop;
      }
      e->left = left;
      e->right = right;
      setDepth(e, {left, right});
      left = e;
    }
    return left;
  }

  Expr* unaryOperand() {
    const Token& t = cur();
    if (atKw(Kw::Not)) {
      Token op = t;
      next();
      Nest guard(*this);
      Expr* e = node(ExprKind::Unary, op);
      e->unary = UnaryOp::Not;
      e->target = binary(6);
      setDepth(e, {e->target});
      return e;
    }
    if (at(Tok::Minus) || at(Tok::Plus)) {
      Token op = t;
      next();
      Nest guard(*this);
      Expr* e = node(ExprKind::Unary, op);
      e->unary = op.kind == Tok::Minus ? UnaryOp::Neg : UnaryOp::Plus;
      e->target = unaryOperand();  // tighter than ^: -3 ^ 2 is 9
      setDepth(e, {e->target});
      return e;
    }
    return postfix();
  }

  std::vector<Expr*> argumentList(Tok close) {
    std::vector<Expr*> args;
    if (at(close)) return args;
    while (true) {
      if (at(Tok::Comma) || at(close)) {
        args.push_back(node(ExprKind::Missing, cur()));
      } else {
        args.push_back(expression());
      }
      if (at(Tok::Comma)) {
        next();
        continue;
      }
      break;
    }
    return args;
  }

  Expr* primary() {
    const Token t = cur();
    switch (t.kind) {
      case Tok::Literal: {
        next();
        Expr* e = node(ExprKind::Literal, t);
        e->value = t.value;
        return e;
      }
      case Tok::LParen: {
        next();
        Nest guard(*this);
        Expr* e = node(ExprKind::Paren, t);
        e->target = expression();
        expect(Tok::RParen, err::ExpectedRParen);
        setDepth(e, {e->target});
        return e;
      }
      case Tok::Dot: {
        if (withDepth_ == 0) fail(err::InvalidReference);
        next();
        Expr* e = node(ExprKind::Member, t);
        e->name = memberName();
        return e;
      }
      case Tok::Ident: {
        Expr* e;
        switch (softKeyword(t.kw) ? Kw::None : t.kw) {
          case Kw::None:
            next();
            e = node(ExprKind::Name, t);
            e->name = t.text;
            return e;
          case Kw::True: case Kw::False:
            next();
            e = node(ExprKind::Literal, t);
            e->value = Variant(t.kw == Kw::True);
            return e;
          case Kw::Empty:
            next();
            return node(ExprKind::Literal, t);
          case Kw::Null:
            next();
            e = node(ExprKind::Literal, t);
            e->value = Variant::Null();
            return e;
          case Kw::Nothing:
            next();
            e = node(ExprKind::Literal, t);
            e->value = Variant::Nothing();
            return e;
          case Kw::Me:
            next();
            if (!inClass_) failAt(err::InvalidMe, t);
            return node(ExprKind::Me, t);
          case Kw::New:
            next();
            e = node(ExprKind::New, t);
            e->name = identifier();
            return e;
          default:
            fail(err::ExpectedExpression);
        }
      }
      default:
        fail(err::ExpectedExpression);
    }
  }

  Expr* postfix() {
    Expr* e = primary();
    return postfixTail(e);
  }

  Expr* postfixTail(Expr* e) {
    while (true) {
      if (at(Tok::LParen) && e->kind != ExprKind::Literal) {
        const Token t = cur();
        next();
        Nest guard(*this);
        Expr* c = node(ExprKind::Call, t);
        // `(f)(x)` calls f with x: parentheses around a name called with arguments are dropped.
        Expr* callee = e;
        while (callee->kind == ExprKind::Paren) callee = callee->target;
        c->target = callee->kind == ExprKind::Name || callee->kind == ExprKind::Member ? callee : e;
        c->args = argumentList(Tok::RParen);
        expect(Tok::RParen, err::ExpectedRParen);
        int d = e->depth;
        for (Expr* a : c->args) d = std::max(d, a->depth);
        c->depth = d + 1;
        if (c->depth > kMaxExpressionDepth) failAt(err::OutOfStack, t);
        e = c;
        continue;
      }
      if (at(Tok::Dot) && !cur().spaceBefore && e->kind != ExprKind::Literal) {
        const Token t = cur();
        next();
        Expr* m = node(ExprKind::Member, t);
        m->target = e;
        m->name = memberName();
        setDepth(m, {e});
        e = m;
        continue;
      }
      return e;
    }
  }

  // ---- statements
  void topLevelItem() {
    const Token start = cur();
    bool isPublic = true, explicitScope = false, isDefault = false;
    if (atKw(Kw::Option)) {
      next();
      expectKw(Kw::Explicit, err::ExpectedIdentifier);
      chunk_->optionExplicit = true;
      endStatement();
      return;
    }
    if (atKw(Kw::Public) || atKw(Kw::Private)) {
      isPublic = atKw(Kw::Public);
      explicitScope = true;
      next();
      if (atKw(Kw::Default)) {
        isDefault = true;
        next();
      }
    }
    if (atKw(Kw::Sub) || atKw(Kw::Function) || atPropertyDecl()) {
      if (atKw(Kw::Property)) failAt(err::MustBeInClass, cur());
      Procedure* p = procedure(isPublic, isDefault);
      chunk_->procedures.push_back(p);
      return;
    }
    if (isDefault) failAt(err::Syntax, start);
    if (atKw(Kw::Class)) {
      chunk_->classes.push_back(classDecl());
      return;
    }
    if (explicitScope) {
      // Public/Private variable or constant declarations at script level.
      if (atKw(Kw::Const)) {
        Stmt* s = constStatement(start);
        s->isPublic = isPublic;
        chunk_->statements.push_back(s);
        return;
      }
      Stmt* s = chunk_->newStmt(StmtKind::Dim, start.line, start.column);
      s->isPublic = isPublic;
      dimList(s);
      endStatement();
      chunk_->statements.push_back(s);
      return;
    }
    Stmt* s = statement();
    if (s) chunk_->statements.push_back(s);
  }

  void dimList(Stmt* s) {
    while (true) {
      DimItem d;
      d.line = cur().line;
      d.column = cur().column;
      d.name = identifier();
      if (at(Tok::LParen)) {
        next();
        d.isArray = true;
        if (!at(Tok::RParen)) {
          while (true) {
            d.bounds.push_back(expression());
            if (at(Tok::Comma)) {
              next();
              continue;
            }
            break;
          }
        }
        expect(Tok::RParen, err::ExpectedRParen);
      }
      s->dims.push_back(std::move(d));
      if (at(Tok::Comma)) {
        next();
        continue;
      }
      break;
    }
  }

  Stmt* constStatement(const Token& start) {
    next();  // Const
    Stmt* s = chunk_->newStmt(StmtKind::Const, start.line, start.column);
    while (true) {
      DimItem d;
      d.line = cur().line;
      d.column = cur().column;
      d.name = identifier();
      expect(Tok::Eq, err::ExpectedEquals);
      d.bounds.push_back(expression());
      s->dims.push_back(std::move(d));
      if (at(Tok::Comma)) {
        next();
        continue;
      }
      break;
    }
    endStatement();
    return s;
  }

  Procedure* procedure(bool isPublic, bool isDefault) {
    Procedure* p = chunk_->newProcedure();
    p->line = cur().line;
    p->column = cur().column;
    p->isPublic = isPublic;
    p->isDefault = isDefault;
    Kw endKw;
    int32_t endErr;
    if (atKw(Kw::Sub)) {
      p->kind = ProcKind::Sub;
      endKw = Kw::Sub;
      endErr = err::ExpectedSub;
    } else if (atKw(Kw::Function)) {
      p->kind = ProcKind::Function;
      endKw = Kw::Function;
      endErr = err::ExpectedFunction;
    } else {
      next();
      if (atKw(Kw::Get)) p->kind = ProcKind::PropertyGet;
      else if (atKw(Kw::Let)) p->kind = ProcKind::PropertyLet;
      else if (atKw(Kw::Set)) p->kind = ProcKind::PropertySet;
      else fail(err::ExpectedLetSetGet);
      endKw = Kw::Property;
      endErr = err::ExpectedProperty;
    }
    next();
    p->name = identifier();
    if (at(Tok::LParen)) {
      next();
      if (!at(Tok::RParen)) {
        while (true) {
          Param prm;
          if (atKw(Kw::ByVal)) {
            prm.byRef = false;
            next();
          } else if (atKw(Kw::ByRef)) {
            next();
          }
          const Token nameTok = cur();
          prm.name = identifier();
          for (const auto& q : p->params)
            if (NameKey(q.name) == NameKey(prm.name)) failAt(err::NameRedefined, nameTok);
          if (at(Tok::LParen)) {
            next();
            expect(Tok::RParen, err::ExpectedRParen);
            prm.isArray = true;
          }
          p->params.push_back(std::move(prm));
          if (at(Tok::Comma)) {
            next();
            continue;
          }
          break;
        }
      }
      expect(Tok::RParen, err::ExpectedRParen);
    }
    if ((p->kind == ProcKind::PropertyLet || p->kind == ProcKind::PropertySet) && p->params.empty())
      fail(err::PropertyNeedsArg);
    if (at(Tok::Colon) || at(Tok::Newline)) next();  // else a statement follows on the same line
    ProcKind saved = procKind_;
    bool savedIn = inProc_;
    procKind_ = p->kind;
    inProc_ = true;
    p->body = block();
    procKind_ = saved;
    inProc_ = savedIn;
    if (!atKw(Kw::End)) fail(err::ExpectedEnd);
    next();
    expectKw(endKw, endErr);
    if (inClass_ && atClassEnd()) return p;  // `... End Function End Class`
    endStatement();
    return p;
  }

  // A class's last member may be followed by `End Class` on the same line (`Public x End Class`).
  bool atClassEnd() const { return atKw(Kw::End) && peekKw(1, Kw::Class); }

  ClassDecl* classDecl() {
    next();  // Class
    ClassDecl* c = chunk_->newClass();
    c->line = cur().line;
    c->column = cur().column;
    c->name = identifier();
    endStatement();
    inClass_ = true;
    while (true) {
      skipSeparators();
      if (at(Tok::End) ) fail(err::ExpectedEnd);
      if (atKw(Kw::End)) {
        next();
        expectKw(Kw::Class, err::ExpectedClass);
        endStatement();
        break;
      }
      bool isPublic = true, isDefault = false, scoped = false;
      if (atKw(Kw::Public) || atKw(Kw::Private)) {
        isPublic = atKw(Kw::Public);
        scoped = true;
        next();
        if (atKw(Kw::Default)) {
          if (!isPublic) fail(err::Syntax);
          isDefault = true;
          next();
        }
      } else if (atKw(Kw::Dim)) {
        scoped = true;
        next();
      }
      if (atKw(Kw::Sub) || atKw(Kw::Function) || atPropertyDecl() || (atKw(Kw::Property) && !scoped)) {
        Procedure* p = procedure(isPublic, isDefault);
        if (isDefault && p->kind != ProcKind::Function && p->kind != ProcKind::PropertyGet && p->kind != ProcKind::Sub)
          failAt(err::Syntax, cur());
        c->procedures.push_back(p);
        continue;
      }
      if (!scoped || isDefault) fail(err::ExpectedStatement);
      while (true) {
        ClassDecl::Field f;
        f.isPublic = isPublic;
        Stmt tmp;
        f.dim.line = cur().line;
        f.dim.column = cur().column;
        f.dim.name = identifier();
        f.name = f.dim.name;
        if (at(Tok::LParen)) {
          next();
          f.dim.isArray = true;
          if (!at(Tok::RParen)) {
            while (true) {
              f.dim.bounds.push_back(expression());
              if (!at(Tok::Comma)) break;
              next();
            }
          }
          expect(Tok::RParen, err::ExpectedRParen);
        }
        c->fields.push_back(std::move(f));
        if (!at(Tok::Comma)) break;
        next();
      }
      if (!atClassEnd()) endStatement();
    }
    inClass_ = false;
    return c;
  }

  bool atBlockEnd() const {
    if (at(Tok::End)) return true;
    if (cur().kind != Tok::Ident) return false;
    switch (cur().kw) {
      case Kw::End: case Kw::Next: case Kw::Loop: case Kw::Wend: case Kw::Else: case Kw::ElseIf: case Kw::Case:
        return true;
      default:
        return false;
    }
  }

  Block block() {
    Nest guard(*this);
    Block b;
    while (true) {
      skipSeparators();
      if (atBlockEnd()) break;
      // A procedure inside a block of script-level code is declared all the same.
      if ((atKw(Kw::Sub) || atKw(Kw::Function)) && !inProc_ && !inClass_) {
        chunk_->procedures.push_back(procedure(true, false));
        continue;
      }
      if (atKw(Kw::Sub) || atKw(Kw::Function) || atKw(Kw::Class) || atKw(Kw::Public) || atKw(Kw::Private) ||
          atKw(Kw::Option) || atPropertyDecl())
        fail(err::ExpectedStatement);
      Stmt* s = statement();
      if (s) b.push_back(s);
    }
    return b;
  }

  Stmt* statement() {
    const Token t = cur();
    if (t.kind == Tok::Ident) {
      switch (t.kw) {
        case Kw::Dim: {
          next();
          Stmt* s = chunk_->newStmt(StmtKind::Dim, t.line, t.column);
          dimList(s);
          endStatement();
          return s;
        }
        case Kw::ReDim: {
          next();
          Stmt* s = chunk_->newStmt(StmtKind::ReDim, t.line, t.column);
          if (atKw(Kw::Preserve)) {
            s->preserve = true;
            next();
          }
          dimList(s);
          for (auto& d : s->dims)
            if (!d.isArray || d.bounds.empty()) failAt(err::ExpectedLParen, t);
          endStatement();
          return s;
        }
        case Kw::Const:
          return constStatement(t);
        case Kw::If: return ifStatement();
        case Kw::For: return forStatement();
        case Kw::Do: return doStatement();
        case Kw::While: return whileStatement();
        case Kw::Select: return selectStatement();
        case Kw::With: return withStatement();
        case Kw::On: {
          next();
          expectKw(Kw::Error, err::Syntax);
          Stmt* s = chunk_->newStmt(StmtKind::OnError, t.line, t.column);
          if (atKw(Kw::Resume)) {
            next();
            expectKw(Kw::Next, err::Syntax);
            s->resumeNext = true;
          } else if (atKw(Kw::GoTo)) {
            next();
            if (!at(Tok::Literal) || cur().value.tag() != Variant::tInteger || cur().value.n() != 0) fail(err::Syntax);
            next();
          } else {
            fail(err::Syntax);
          }
          endStatement();
          return s;
        }
        case Kw::Exit: {
          next();
          Stmt* s = chunk_->newStmt(StmtKind::Exit, t.line, t.column);
          if (atKw(Kw::Sub)) s->exit = ExitKind::Sub;
          else if (atKw(Kw::Function)) s->exit = ExitKind::Function;
          else if (atKw(Kw::Property)) s->exit = ExitKind::Property;
          else if (atKw(Kw::For)) s->exit = ExitKind::For;
          else if (atKw(Kw::Do)) s->exit = ExitKind::Do;
          else fail(err::InvalidExit);
          bool ok;
          switch (s->exit) {
            case ExitKind::Sub: ok = inProc_ && procKind_ == ProcKind::Sub; break;
            case ExitKind::Function: ok = inProc_ && procKind_ == ProcKind::Function; break;
            case ExitKind::Property:
              ok = inProc_ && (procKind_ == ProcKind::PropertyGet || procKind_ == ProcKind::PropertyLet ||
                               procKind_ == ProcKind::PropertySet);
              break;
            case ExitKind::For: ok = forDepth_ > 0; break;
            default: ok = doDepth_ > 0; break;
          }
          if (!ok) fail(err::InvalidExit);
          next();
          endStatement();
          return s;
        }
        case Kw::Erase: {
          next();
          Stmt* s = chunk_->newStmt(StmtKind::Erase, t.line, t.column);
          while (true) {
            DimItem d;
            d.line = cur().line;
            d.column = cur().column;
            d.name = identifier();
            s->dims.push_back(std::move(d));
            if (!at(Tok::Comma)) break;
            next();
          }
          endStatement();
          return s;
        }
        case Kw::Stop:
          next();
          endStatement();
          return nullptr;
        case Kw::Call: {
          next();
          Stmt* s = chunk_->newStmt(StmtKind::CallStmt, t.line, t.column);
          const Token calleeTok = cur();
          Expr* e = postfix();
          if (e->kind == ExprKind::Call) {
            s->lhs = e->target;
            s->args = e->args;
          } else if (e->kind == ExprKind::Name || e->kind == ExprKind::Member) {
            s->lhs = e;
          } else {
            failAt(err::ExpectedIdentifier, calleeTok);
          }
          endStatement();
          return s;
        }
        case Kw::Set:
        case Kw::Let: {
          next();
          Stmt* s = chunk_->newStmt(t.kw == Kw::Set ? StmtKind::Set : StmtKind::Assign, t.line, t.column);
          s->lhs = postfix();
          checkAssignable(s->lhs, t);
          expect(Tok::Eq, err::ExpectedEquals);
          s->expr = expression();
          endStatement();
          return s;
        }
        case Kw::None: case Kw::Me: case Kw::Error: case Kw::Explicit: case Kw::Step: case Kw::Default:
        case Kw::Property:
          return callOrAssign();
        case Kw::Next:
          fail(err::UnexpectedNext);
        case Kw::Loop:
          fail(err::LoopWithoutDo);
        default:
          fail(err::ExpectedStatement);
      }
    }
    if (t.kind == Tok::Dot && withDepth_ > 0) return callOrAssign();
    if (t.kind == Tok::LParen) return callOrAssign();  // `(f)(x)`
    fail(err::ExpectedStatement);
  }

  void checkAssignable(Expr* e, const Token& t) {
    if (e->kind != ExprKind::Name && e->kind != ExprKind::Member && e->kind != ExprKind::Call)
      failAt(err::Syntax, t);
  }

  Stmt* callOrAssign() {
    const Token t = cur();
    Expr* lhs = postfix();
    if (at(Tok::Eq)) {
      if (t.kind == Tok::LParen && lhs->kind != ExprKind::Call) failAt(err::ExpectedStatement, t);
      checkAssignable(lhs, t);
      next();
      Stmt* s = chunk_->newStmt(StmtKind::Assign, t.line, t.column);
      s->lhs = lhs;
      s->expr = expression();
      endStatement();
      return s;
    }
    Stmt* s = chunk_->newStmt(StmtKind::CallStmt, t.line, t.column);
    if (endOfStatement() || (inlineIf_ > 0 && atKw(Kw::Else))) {
      if (lhs->kind == ExprKind::Call) {
        if (lhs->args.size() > 1) failAt(err::ParensCallingSub, t);
        s->lhs = lhs->target;
        for (Expr* a : lhs->args) {
          // `Foo (x)`: the parentheses make the argument a value, not a reference.
          Expr* p = node(ExprKind::Paren, t);
          p->target = a;
          p->depth = a->depth + 1;
          s->args.push_back(a->kind == ExprKind::Missing ? a : p);
        }
      } else {
        if (lhs->kind != ExprKind::Name && lhs->kind != ExprKind::Member) failAt(err::ExpectedStatement, t);
        s->lhs = lhs;
      }
      endStatement();
      return s;
    }
    // Arguments without parentheses. `Foo (a) + 1, 2` was read as Foo(a): take the parenthesised
    // part back as the start of the first argument.
    if (lhs->kind == ExprKind::Call && lhs->args.size() == 1 && lhs->args[0]->kind != ExprKind::Missing) {
      Expr* p = node(ExprKind::Paren, t);
      p->target = lhs->args[0];
      p->depth = lhs->args[0]->depth + 1;
      s->lhs = lhs->target;
      Expr* first = binary(1, postfixTail(p));
      s->args.push_back(first);
    } else {
      if (lhs->kind == ExprKind::Call) failAt(err::ParensCallingSub, t);
      if (lhs->kind != ExprKind::Name && lhs->kind != ExprKind::Member) fail(err::ExpectedEndOfStatement);
      s->lhs = lhs;
      if (at(Tok::Comma)) s->args.push_back(node(ExprKind::Missing, cur()));
      else s->args.push_back(expression());
    }
    while (at(Tok::Comma)) {
      next();
      if (at(Tok::Comma) || endOfStatement()) s->args.push_back(node(ExprKind::Missing, cur()));
      else s->args.push_back(expression());
    }
    endStatement();
    return s;
  }

  Stmt* ifStatement() {
    const Token t = cur();
    next();
    Stmt* s = chunk_->newStmt(StmtKind::If, t.line, t.column);
    s->conditions.push_back(expression());
    expectKw(Kw::Then, err::ExpectedThen);
    if (!at(Tok::Newline) && !at(Tok::End)) {
      // One-line form: If c Then a : b Else c : d
      if (at(Tok::Colon)) next();
      ++inlineIf_;
      s->blocks.push_back(inlineBlock());
      if (atKw(Kw::Else)) {
        next();
        s->hasElse = true;
        s->blocks.push_back(inlineBlock());
      }
      --inlineIf_;
      if (atKw(Kw::End) && peekKw(1, Kw::If)) {  // tolerated: If a Then b End If
        next();
        next();
      }
      endStatement();
      return s;
    }
    Nest guard(*this);
    s->blocks.push_back(block());
    while (true) {
      if (atKw(Kw::ElseIf)) {
        next();
        s->conditions.push_back(expression());
        expectKw(Kw::Then, err::ExpectedThen);
        if (!endOfStatement()) {
          // ElseIf c Then statement on the same line
          ++inlineIf_;
          Block b = inlineBlock();
          --inlineIf_;
          Block more = block();
          b.insert(b.end(), more.begin(), more.end());
          s->blocks.push_back(std::move(b));
        } else {
          s->blocks.push_back(block());
        }
        continue;
      }
      if (atKw(Kw::Else)) {
        next();
        s->hasElse = true;
        s->blocks.push_back(block());
        if (!atKw(Kw::End)) fail(err::ExpectedEnd);
      }
      break;
    }
    if (!atKw(Kw::End)) fail(err::ExpectedEnd);
    next();
    expectKw(Kw::If, err::ExpectedIf);
    endStatement();
    return s;
  }

  Block inlineBlock() {
    Nest guard(*this);
    Block b;
    while (true) {
      if (at(Tok::Newline) || at(Tok::End) || atKw(Kw::Else)) break;
      if (atKw(Kw::End) && peekKw(1, Kw::If)) break;
      Stmt* s = statement();
      if (s) b.push_back(s);
      if (at(Tok::Colon)) {
        next();
        continue;
      }
      break;
    }
    return b;
  }

  Stmt* forStatement() {
    const Token t = cur();
    next();
    if (atKw(Kw::Each)) {
      next();
      Stmt* s = chunk_->newStmt(StmtKind::ForEach, t.line, t.column);
      s->nameLine = cur().line;
      s->nameColumn = cur().column;
      s->name = identifier();
      expectKw(Kw::In, err::ExpectedIn);
      s->expr = expression();
      endStatement();
      loopBody(s);
      return s;
    }
    Stmt* s = chunk_->newStmt(StmtKind::For, t.line, t.column);
    s->nameLine = cur().line;
    s->nameColumn = cur().column;
    if (!atName()) fail(err::InvalidForVariable);
    s->name = identifier();
    expect(Tok::Eq, err::ExpectedEquals);
    s->expr = expression();
    expectKw(Kw::To, err::ExpectedTo);
    s->to = expression();
    if (atKw(Kw::Step)) {
      next();
      s->step = expression();
    }
    endStatement();
    loopBody(s);
    return s;
  }

  void loopBody(Stmt* s) {
    ++forDepth_;
    s->body = block();
    --forDepth_;
    if (!atKw(Kw::Next)) fail(err::ExpectedNext);
    next();
    if (atName()) {
      if (NameKey(cur().text) != NameKey(s->name)) fail(err::InvalidForVariable);
      next();
      // `Next j, i` closes two loops: not supported, reported plainly.
      if (at(Tok::Comma)) fail(err::ExpectedEndOfStatement);
    }
    endStatement();
  }

  Stmt* doStatement() {
    const Token t = cur();
    next();
    Stmt* s = chunk_->newStmt(StmtKind::Do, t.line, t.column);
    if (atKw(Kw::While) || atKw(Kw::Until)) {
      s->pre = atKw(Kw::While) ? LoopCond::While : LoopCond::Until;
      next();
      s->expr = expression();
    } else if (!endOfStatement()) {
      fail(err::ExpectedWhileUntilEos);
    }
    endStatement();
    ++doDepth_;
    s->body = block();
    --doDepth_;
    if (!atKw(Kw::Loop)) fail(err::ExpectedLoop);
    next();
    if (atKw(Kw::While) || atKw(Kw::Until)) {
      if (s->pre != LoopCond::None) fail(err::ExpectedEndOfStatement);
      s->post = atKw(Kw::While) ? LoopCond::While : LoopCond::Until;
      next();
      s->expr = expression();
    }
    endStatement();
    return s;
  }

  Stmt* whileStatement() {
    const Token t = cur();
    next();
    Stmt* s = chunk_->newStmt(StmtKind::While, t.line, t.column);
    s->expr = expression();
    endStatement();
    s->body = block();
    if (!atKw(Kw::Wend)) fail(err::ExpectedWend);
    next();
    endStatement();
    return s;
  }

  Stmt* selectStatement() {
    const Token t = cur();
    next();
    expectKw(Kw::Case, err::ExpectedCase);
    Stmt* s = chunk_->newStmt(StmtKind::Select, t.line, t.column);
    s->expr = expression();
    endStatement();
    skipSeparators();
    while (atKw(Kw::Case)) {
      CaseClause c;
      c.line = cur().line;
      c.column = cur().column;
      next();
      if (atKw(Kw::Else)) {
        next();
        c.isElse = true;
      } else {
        while (true) {
          CaseItem item;
          if (atKw(Kw::Is)) {
            next();
            item.kind = CaseItem::IsCompare;
            switch (cur().kind) {
              case Tok::Eq: item.op = CompareOp::Eq; break;
              case Tok::Ne: item.op = CompareOp::Ne; break;
              case Tok::Lt: item.op = CompareOp::Lt; break;
              case Tok::Gt: item.op = CompareOp::Gt; break;
              case Tok::Le: item.op = CompareOp::Le; break;
              case Tok::Ge: item.op = CompareOp::Ge; break;
              default: fail(err::Syntax);
            }
            next();
            item.a = expression();
          } else {
            item.a = expression();
            if (atKw(Kw::To)) {
              next();
              item.kind = CaseItem::Range;
              item.b = expression();
            }
          }
          c.items.push_back(item);
          if (!at(Tok::Comma)) break;
          next();
        }
      }
      if (at(Tok::Colon) || at(Tok::Newline)) next();  // else a statement follows on the same line
      c.body = block();
      bool wasElse = c.isElse;
      s->cases.push_back(std::move(c));
      if (wasElse) break;
    }
    if (!atKw(Kw::End)) fail(err::ExpectedEnd);
    next();
    expectKw(Kw::Select, err::ExpectedSelect);
    endStatement();
    return s;
  }

  Stmt* withStatement() {
    const Token t = cur();
    next();
    Stmt* s = chunk_->newStmt(StmtKind::With, t.line, t.column);
    s->expr = expression();
    endStatement();
    ++withDepth_;
    s->body = block();
    --withDepth_;
    if (!atKw(Kw::End)) fail(err::ExpectedEnd);
    next();
    expectKw(Kw::With, err::ExpectedWith);
    endStatement();
    return s;
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  std::unique_ptr<Chunk> chunk_;
  int nesting_ = 0;
  int withDepth_ = 0, forDepth_ = 0, doDepth_ = 0, inlineIf_ = 0;
  bool inProc_ = false, inClass_ = false;
  ProcKind procKind_ = ProcKind::Sub;
};

}  // namespace

std::unique_ptr<Chunk> Parse(std::string_view source) { return Parser(source).run(); }

}  // namespace lumetrix::vbs
